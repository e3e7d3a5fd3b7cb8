#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the plain Win32 wallpaper code with mingw-w64 and runs its driver under Wine in a throw-away
# prefix. Usage: windows_wallpaper_test.sh <source dir>
set -euo pipefail
src=$1
for tool in x86_64-w64-mingw32-g++-posix wine wineboot wineserver; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: $tool is missing (packages wine wine64 g++-mingw-w64-x86-64-posix)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# No Mono or Gecko download prompts during wineboot.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

x86_64-w64-mingw32-g++-posix -std=c++20 -municode -static -O1 -Wall -Wextra -Werror \
    -I"$src/src/platform/desktop" \
    "$src/src/platform/desktop/WindowsWallpaper.cpp" \
    "$src/tests/platform/windows/WindowsWallpaperDriver.cpp" \
    -o "$work/driver.exe"

wineboot -i
mkdir "$work/scratch"
wine "$work/driver.exe" 'Z:'"${work//\//\\}"'\scratch'

# Read back from outside the process, once the registry has left the driver's hands.
desktop=$(wine reg query 'HKCU\Control Panel\Desktop' | tr -d '\r')
echo "$desktop" | grep -Eq '^ +TileWallpaper +REG_SZ +0$' || { echo "FAIL: TileWallpaper: $desktop" >&2; exit 1; }
echo "$desktop" | grep -Eq '^ +WallpaperStyle +REG_SZ +2$' || { echo "FAIL: WallpaperStyle: $desktop" >&2; exit 1; }
echo "registry read back: TileWallpaper 0, WallpaperStyle 2"
