#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Screenshots of the settings window and the about box at 100 % and 200 % scale, each on a private
# Xvfb, for checking that no caption is cut off. Runs the already-built preview program; builds nothing.
#
#   scripts/screenshot-settings-window.sh [build-dir] [output-dir]
#
# build-dir defaults to build/dev, output-dir to build/screenshots. Writes settings-window-100.png and
# settings-window-200.png. Needs xvfb and imagemagick.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/dev}
out=${2:-$here/build/screenshots}
preview=$build/tools/screenshots/settings_window_preview
[[ -x "$preview" ]] || { echo "no preview program at $preview: build the dev preset first" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing (package xvfb)" >&2; exit 1; }
command -v import >/dev/null || { echo "import is missing (package imagemagick)" >&2; exit 1; }
mkdir -p "$out"

free_display() {
    local n=90
    while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    echo "$n"
}

shoot() {
    local scale=$1 name=$2 display xvfb app
    display=$(free_display)
    Xvfb ":$display" -screen 0 1600x1200x24 -noreset >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
    DISPLAY=":$display" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$preview" >/dev/null 2>&1 &
    app=$!
    sleep 2
    DISPLAY=":$display" import -window root -crop "$((760 * scale))x$((560 * scale))+0+0" "$out/$name"
    kill "$app" "$xvfb" 2>/dev/null || true
    wait "$app" "$xvfb" 2>/dev/null || true
    echo "$out/$name"
}

shoot 1 settings-window-100.png
shoot 2 settings-window-200.png
