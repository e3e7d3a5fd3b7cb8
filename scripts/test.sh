#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
scripts/install-deps.sh packages-build.txt packages-test.txt
cmake --preset ci -DTESSALY_SYSTEM_TESTS=ON >/dev/null
cmake --build --preset ci
cmake --build --preset ci --target format-check
ctest --preset ci
echo "test run took $(($(date +%s) - start)) s"
