#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Screenshots of the Windows build under Wine's own desktop on a private Xvfb: the desktop with its task
# bar after the first start (the tray icon at its right end, the wallpaper set), and the settings window
# that a second start opens. Runs the zip scripts/build-windows.sh made; builds nothing.
#
#   scripts/screenshot-windows.sh [zip] [output-dir]
#
# Writes windows-desktop.png, windows-tray.png (the task bar's right end, enlarged) and
# windows-settings.png. Needs wine, xvfb, x11-xserver-utils and imagemagick.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
zip=${1:-$(echo "$here"/build/windows/tessaly-*-win64.zip)}
out=${2:-$here/build/screenshots}
[[ -f "$zip" ]] || { echo "no zip at $zip: run scripts/build-windows.sh first" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d /tmp/tessaly-shots-XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

eventually() {
    for _ in $(seq 300); do "$@" && return 0; sleep 0.2; done
    echo "gave up waiting for: $*" >&2 && return 1
}

cmake -E chdir "$work" cmake -E tar xf "$zip"
exe=$work/$(basename "$zip" .zip)/tessaly.exe
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
eventually test -s "$work/display"
export DISPLAY=:$(cat "$work/display")
wineboot -i >/dev/null 2>&1
wineserver -w
# Every program opens in one virtual desktop; the one named "shell" has a task bar with the tray.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null

wallpaper_set() { wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null | grep -qi 'tessaly'; }
answering() { wine "$exe" --status >/dev/null 2>&1; }
wine "$exe" >/dev/null 2>&1 &
eventually wallpaper_set
eventually answering
# The task bar is repainted after a wallpaper change only when the X server asks for it.
sleep 2 && xrefresh
sleep 1
import -window root "$out/windows-desktop.png"
convert "$out/windows-desktop.png" -gravity southeast -crop 260x40+0+0 +repage -scale 300% "$out/windows-tray.png"
wine "$exe" >/dev/null 2>&1
sleep 3
import -window root "$out/windows-settings.png"
wine "$exe" --quit >/dev/null 2>&1 || true
echo "$out/windows-desktop.png $out/windows-tray.png $out/windows-settings.png"
