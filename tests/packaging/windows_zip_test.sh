#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# windows_zip_test.sh SOURCE_DIR: builds the Windows zip with scripts/build-windows.sh, unpacks it and runs
# the real tessaly.exe under Wine on a private Xvfb, as a user of the portable copy would. Qt for Windows
# takes most of an hour to build: when scripts/build-windows.sh has not built it on this machine, the test
# says so loudly and is skipped, never builds it.
set -uo pipefail
source_dir=$1
cache=${TESSALY_WINDOWS_CACHE:-/var/cache/tessaly-windows}
if ! compgen -G "$cache/qt-*-mingw64/.complete" >/dev/null; then
    echo "WINDOWS TESTS NOT RUN: no Qt for Windows in $cache (scripts/build-windows.sh --deps builds it, ~1 h)"
    exit 77
fi
work=$(mktemp -d /tmp/tessaly-wine-XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko prompts
failures=0
check() {
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1" && failures=$((failures + 1)); fi
}
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

# Polls for what the program does in its own time: true as soon as "$@" holds, false after 60 s.
eventually() {
    for _ in $(seq 600); do "$@" && return 0; sleep 0.1; done
    return 1
}

if ! NICE=1 JOBS=2 "$source_dir/scripts/build-windows.sh" >"$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log"
    echo "FAIL scripts/build-windows.sh" && exit 1
fi
zip=$(echo "$source_dir"/build/windows/tessaly-*-win64.zip)
check "the installer is made beside the zip" test -f "${zip%.zip}.exe"
cmake -E chdir "$work" cmake -E tar xf "$zip"
app=$work/$(basename "$zip" .zip)
for file in tessaly.exe Qt6Core.dll Qt6Widgets.dll libstdc++-6.dll platforms/qwindows.dll \
    imageformats/qgif.dll tessdesk.ini badimage.bmp image1.gif image2.gif; do
    check "in the zip: $file" test -f "$app/$file"
done

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
eventually test -s "$work/display" || { echo "FAIL Xvfb did not start" && exit 1; }
export DISPLAY=:$(cat "$work/display")
wineboot -i >/dev/null 2>&1
wineserver -w

tessaly() { wine "$app/tessaly.exe" "$@" 2>>"$work/wine.log"; }
fails() { ! "$@" >/dev/null 2>&1; }
status_into() { tessaly --status >"$1"; }
wallpaper() { wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null | tr -d '\r' | grep -qi 'tessaly\.bmp'; }
login_start() { wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Tessaly; }

check "tessaly --version" bash -c "[[ \$(wine '$app/tessaly.exe' --version) == *Tessaly*1.* ]]"
check "nothing answers before the start" fails tessaly --status
check "no wallpaper is set before the start" fails wallpaper
tessaly >"$work/program.log" 2>&1 &
program=$!
check "the first start sets the wallpaper in the registry" eventually wallpaper
check "the first start writes the bitmap in the portable folder" eventually test -f "$app/tessaly.bmp"
check "the first start saved the sample pictures in the portable tessdesk.ini (an atomic replace)" \
    grep -qi '^0=.*image1\.gif' "$app/tessdesk.ini"
check "the running copy answers --status" eventually status_into "$work/status1"
before=$(grep '^picture:' "$work/status1")
check "tessaly --next" tessaly --next
status_into "$work/status2"
after=$(grep '^picture:' "$work/status2")
check "--next shows the other sample picture ($before, then $after)" \
    test -n "$before" -a -n "$after" -a "$before" != "$after"
check "a portable copy adds no login start" fails login_start
check "tessaly --quit" tessaly --quit
check "the program ends after --quit" eventually bash -c "! kill -0 $program 2>/dev/null"
check "at the end, no temporary file is left beside the settings and the bitmap" bash -c "! ls -a '$app' | grep -q '\.tmp\$'"
check "nothing answers after --quit" fails tessaly --status

# The installer, silent, as an administrator would run it; then its uninstaller.
installed="$WINEPREFIX/drive_c/Program Files/Tessaly"
check "the installer runs silently (/S)" wine "${zip%.zip}.exe" /S
wineserver -w
check "the installer puts tessaly.exe under Program Files" test -f "$installed/tessaly.exe"
check "the installer adds a Start-menu entry" test -n "$(find "$WINEPREFIX/drive_c" -name Tessaly.lnk -print -quit)"
check "the uninstaller runs silently (/S)" wine "$installed/Uninstall.exe" /S
check "the uninstaller removes the program" eventually fails test -e "$installed/tessaly.exe"
((failures)) && { echo "--- wine log"; tail -n 30 "$work/wine.log" "$work/program.log"; }
exit $((failures > 0))
