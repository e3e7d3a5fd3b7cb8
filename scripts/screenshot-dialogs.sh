#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Photographs each dialog under Xvfb at 100 % and 200 % scale, to look for clipped text.
# Needs a built tree (dialog_gallery), xvfb and imagemagick (import).
# Usage: scripts/screenshot-dialogs.sh [build dir] [output dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
out=${2:-$build/screenshots}
gallery=$build/tools/screenshots/dialog_gallery
[[ -x $gallery ]] || { echo "no $gallery: build first" >&2; exit 1; }
command -v Xvfb >/dev/null && command -v import >/dev/null || { echo "needs Xvfb and import" >&2; exit 1; }
mkdir -p "$out"

display=99
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -noreset -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done

for scale in 1 2; do
    for dialog in timer display mode caption multiple font; do
        DISPLAY=":$display" QT_SCALE_FACTOR=$scale "$gallery" "$dialog" -platform xcb >/dev/null 2>&1 &
        pid=$!
        sleep 2
        DISPLAY=":$display" import -window root -trim +repage "$out/$dialog-${scale}00.png"
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        echo "$out/$dialog-${scale}00.png"
    done
done
