#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes the two pictures README.md shows, docs/settings-window.png and docs/wallpaper.png, from a
# build (default build/dev; the settings-window preview is built with the tests, as dev and ci do).
#
#   scripts/readme-screenshots.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/dev}
work=$(mktemp -d /tmp/tessaly-readme-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$here/docs"
mkdir -p "$work/Pictures"
cp "$here/data/image1.gif" "$here/data/image2.gif" "$work/Pictures/"
TESSALY_PREVIEW_PICTURES=$work/Pictures "$here/scripts/screenshot-settings-window.sh" "$build" "$work" >/dev/null
# The settings window alone: the left part of the shot, without the black screen around it.
convert "$work/settings-window-100.png" -crop 432x560+0+0 +repage -trim +repage -strip \
    -define png:compression-level=9 "PNG8:$here/docs/settings-window.png"
"$here/scripts/screenshot-wallpaper.sh" "$build" "$here/docs/wallpaper.png" >/dev/null
ls -l "$here/docs/settings-window.png" "$here/docs/wallpaper.png"
