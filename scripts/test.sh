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
# A skipped test is only named by ctest; the reason the Windows ones were skipped is worth a line.
grep -h '^WINDOWS TESTS NOT RUN' build/ci/Testing/Temporary/LastTest.log || true
echo "test run took $(($(date +%s) - start)) s"
