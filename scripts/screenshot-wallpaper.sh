#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A screenshot of a captioned wallpaper as Tessaly makes it: installs a build into a temporary prefix,
# starts the installed program on a private Xvfb (plain X11 root window, trayer as the tray host) with
# one shipped picture, a caption in its own band at the bottom, and captures the whole screen.
#
#   scripts/screenshot-wallpaper.sh [build-dir] [output-file] [caption]
#
# build-dir defaults to build/dev, output-file to build/screenshots/wallpaper.png. Builds nothing.
# Needs xvfb, trayer and imagemagick.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/dev}
out=${2:-$here/build/screenshots/wallpaper.png}
caption=${3:-Tessaly: your pictures, your captions}
[[ -f "$build/cmake_install.cmake" ]] || { echo "no build at $build: build a preset first" >&2; exit 1; }
for tool in Xvfb trayer import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (packages xvfb, trayer, imagemagick)" >&2; exit 1; }
done
mkdir -p "$(dirname "$out")"
work=$(mktemp -d /tmp/tessaly-shot-XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
home=$work/home
folder=$home/.config/tessaly
mkdir -p "$folder" "$home/run"
chmod 700 "$home/run"
# A settings file as the settings window leaves it: one picture, its caption, "Off image", "Bottom center".
sed -e 's/^firstRun=True/firstRun=False/' -e 's/^total=0/total=1/' -e 's/^onOffCaption=0/onOffCaption=1/' \
    -e "/^\[images\]/a 0=$work/prefix/share/tessaly/image1.gif" -e "/^\[caption\]/a 0=$caption" \
    "$work/prefix/share/tessaly/tessdesk.ini" >"$folder/tessdesk.ini"

mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r display <"$work/display"
export DISPLAY=:$display HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/run
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION XDG_SESSION_DESKTOP WAYLAND_DISPLAY SWAYSOCK DBUS_SESSION_BUS_ADDRESS \
    QT_QPA_PLATFORM
trayer --edge top --align right --widthtype pixel --width 120 --height 28 --transparent false &
pids+=($!)
sleep 1
"$work/prefix/bin/tessaly" &
pids+=($!)
for _ in $(seq 100); do
    grep -q "^ChangeTime=2" "$folder/tessdesk.ini" && [[ -f "$folder/tessaly.bmp" ]] && break
    sleep 0.1
done
sleep 1
import -window root -resize 800x -strip -colors 128 -define png:compression-level=9 "PNG8:$out"
echo "$out"
