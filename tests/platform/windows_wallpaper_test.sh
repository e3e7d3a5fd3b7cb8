#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Win32 wallpaper code with mingw-w64 and runs its driver under Wine in a throw-away prefix.
# Usage: windows_wallpaper_test.sh <source dir>
set -euo pipefail
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko prompts
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -std=c++20 -municode -static -O1 -Wall -Wextra -Werror -I"$1/src/platform/desktop" \
    "$1/src/platform/desktop/WindowsWallpaper.cpp" "$1/tests/platform/windows/WindowsWallpaperDriver.cpp" \
    -o "$work/driver.exe"
wineboot -i
wine "$work/driver.exe" 'Z:'"${work//\//\\}"
