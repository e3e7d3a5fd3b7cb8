#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tessaly (release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh packages-build.txt
cmake --preset release >/dev/null
cmake --build --preset release
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "Tessaly needs a graphical desktop and none was found (DISPLAY and WAYLAND_DISPLAY are unset);" \
        "to try it without one, run: apt-get install xvfb && xvfb-run -a build/release/bin/tessaly" >&2
    exit 1
fi
exec build/release/bin/tessaly "$@"
