#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# windows_zip_test.sh SOURCE_DIR LINUX_TESSALY: builds the Windows packages with scripts/build-windows.sh and
# runs the real tessaly.exe under Wine on a private Xvfb with trayer as the tray host, as users of the
# portable zip and of the installer would; LINUX_TESSALY writes the settings file a Linux user brings along.
# Qt for Windows takes most of an hour to build: when scripts/build-windows.sh has not built it on this
# machine, the test says so loudly and is skipped, never builds it.
set -uo pipefail
source_dir=$1
linux_tessaly=$2
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
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; kill $xvfb $trayer 2>/dev/null; umount "$work/read-only" 2>/dev/null; rm -rf "$work"' EXIT

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
setup=${zip%-win64.zip}-setup.exe
check "the installer is made beside the zip" test -f "$setup"
cmake -E chdir "$work" cmake -E tar xf "$zip"
app=$work/$(basename "$zip" .zip)
for file in tessaly.exe Qt6Core.dll Qt6Widgets.dll libstdc++-6.dll platforms/qwindows.dll \
    imageformats/qgif.dll tessdesk.ini badimage.bmp image1.gif image2.gif; do
    check "in the zip: $file" test -f "$app/$file"
done

# -noreset: the server would reset between two short-lived clients, and a program starting then fails.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
eventually test -s "$work/display" || { echo "FAIL Xvfb did not start" && exit 1; }
export DISPLAY=:$(cat "$work/display")
trayer --edge top --align right --widthtype pixel --width 200 >/dev/null 2>&1 &
trayer=$!
wineboot -i >/dev/null 2>&1
wineserver -w

# The tests of the settings file, the change cycle and the pictures, built for Windows by the script, on
# Windows' own file calls; the Qt DLLs come from the cached Qt, the compiler's from MinGW.
dll_folders=("$(echo "$cache"/qt-*-mingw64/bin)")
for dll in libstdc++-6.dll libwinpthread-1.dll; do
    dll_folders+=("$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)")")
done
wine_path=$(for folder in "${dll_folders[@]}"; do winepath -w "$folder"; done | tr -d '\r' | paste -sd';')
for test in "$source_dir"/build/windows/tests/*/tst_*.exe; do
    check "under Wine: $(basename "$test" .exe)" env WINEPATH="$wine_path" QT_QPA_PLATFORM=offscreen \
        wine "$test" -silent -o "$work/$(basename "$test" .exe).log,txt"
done

tessaly() { wine "$app/tessaly.exe" "$@" 2>>"$work/wine.log"; }
fails() { ! "$@" >/dev/null 2>&1; }
status_into() { tessaly --status | tr -d '\r' >"$1"; }
registry() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
# The bitmap the registry names (Wine's own default is an empty value).
wallpaper() {
    local named
    named=$(registry 'HKCU\Control Panel\Desktop' Wallpaper) && [[ -n "$named" ]] && winepath -u "$named" 2>/dev/null
}
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
login_start() { [[ -n "$(registry "$run_key" Tessaly)" ]]; }
settings_window() { xdotool search --onlyvisible --name '^ Tessaly$' >/dev/null; }
# An icon docked in trayer's panel: Wine's explorer docks one window there for each program's tray icon,
# and no other program here has one.
tray_icon() { xwininfo -root -tree | sed -n '/"panel" "trayer"/,/^     0x/p' | grep -q '"explorer.exe"'; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# True when the bitmap the registry names shows the picture $1 stretched over the screen: both shrunk to
# 32 × 24 pixels differ little (a caption covers a strip of it), and the other sample differs a lot.
shows() {
    local bitmap
    bitmap=$(wallpaper) && [[ -f "$bitmap" ]] || return 1
    convert "$bitmap" "$1" -resize '32x24!' -compose difference -composite -format '%[fx:mean<0.06]' info: 2>/dev/null |
        grep -qx 1
}
starts() { "$@" >>"$work/program.log" 2>&1 & program=$!; }

check "tessaly --version" bash -c "[[ \$(wine '$app/tessaly.exe' --version) == *Tessaly*1.* ]]"
check "nothing answers before the start" fails tessaly --status
check "no wallpaper is set before the start" fails wallpaper

starts tessaly
check "the first start puts the icon in the tray" eventually tray_icon
# The first change at start moves on from picture 0, as on Linux.
check "the first start sets the registry's wallpaper to a bitmap of the second picture" eventually shows "$app/image2.gif"
check "the first start writes the bitmap in the portable folder" eventually test -f "$app/tessaly.bmp"
check "the first start saved the sample pictures in the portable tessdesk.ini (an atomic replace)" \
    grep -qi '^0=.*image1\.gif' "$app/tessdesk.ini"
check "the running copy answers --status" eventually status_into "$work/status"
check "tessaly --next" tessaly --next
check "--next shows the first sample picture again" eventually shows "$app/image1.gif"
status_into "$work/status"
check "--status names the picture shown" grep -q '^picture: .*image1\.gif' "$work/status"
check "no settings window before it is asked for" fails settings_window
check "a second start opens the running copy's settings window" tessaly
check "the settings window is shown" eventually settings_window
check "a portable copy adds no login start" fails login_start
check "tessaly --quit" tessaly --quit
check "the program ends after --quit" eventually ended $program
check "at the end, no temporary file is left beside the settings and the bitmap" bash -c "! ls -a '$app' | grep -q '\.tmp\$'"
check "nothing answers after --quit" fails tessaly --status

# The settings file a Linux user brings along: written by the Linux build on the same X server (its first
# start and one --next), read unchanged; its pictures' paths reach the Linux folder through Wine's drive Z:.
linux=$work/linux
mkdir -p "$linux/config" && mkdir -m 700 "$linux/runtime"
linux_env=(env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$linux" XDG_CONFIG_HOME="$linux/config"
    XDG_RUNTIME_DIR="$linux/runtime" LC_ALL=C.UTF-8)
"${linux_env[@]}" "$linux_tessaly" >>"$work/program.log" 2>&1 &
linux_program=$!
linux_ini=$linux/config/tessaly/tessdesk.ini
eventually grep -qs '^firstRun=False' "$linux_ini" && "${linux_env[@]}" "$linux_tessaly" --next >/dev/null
"${linux_env[@]}" "$linux_tessaly" --quit >/dev/null
check "the Linux build wrote its settings file" eventually ended $linux_program
cp "$linux_ini" "$app/tessdesk.ini"
# No bitmap is left from the runs before, so that one shown is this run's.
rm "$app/tessaly.bmp" && wine reg delete 'HKCU\Control Panel\Desktop' /v Wallpaper /f >/dev/null 2>&1
# The Linux folder's picture that --status names now (image1.gif or image2.gif); nothing when none.
linux_picture() {
    status_into "$work/status" && sed -n 's/^picture: .*linux.config.tessaly.\(image[12]\.gif\)$/\1/p' "$work/status"
}
names_linux_picture() { [[ -n "$(linux_picture)" ]]; }
# True when --status names a picture of the Linux folder other than $1, and the wallpaper shows it.
shows_linux_picture() {
    local picture
    picture=$(linux_picture) && [[ -n "$picture" && "$picture" != "$1" ]] && shows "$linux/config/tessaly/$picture"
}
starts tessaly
check "with the Linux settings file, --status names a picture of the Linux folder" eventually names_linux_picture
before=$(linux_picture)
check "  tessaly --next" tessaly --next
check "  --next shows the Linux folder's other picture, and --status names it" eventually shows_linux_picture "$before"
tessaly --quit && eventually ended $program

# A portable copy on read-only media is not portable: it keeps its files in %APPDATA%\Tessaly, seeded from
# the folder, and starts as usual. Root writes through any mode bits, so the folder is mounted read-only.
user_folder=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Tessaly
portable=$app
app=$work/read-only
mkdir "$app"
if mount --bind "$portable" "$app" 2>/dev/null && mount -o remount,ro,bind "$app" 2>/dev/null; then
    starts tessaly
    check "from a read-only folder: the program starts and answers" eventually status_into "$work/status"
    check "  and keeps its settings in %APPDATA%\\Tessaly, seeded from the folder" \
        grep -qi '^0=.*Tessaly.image1\.gif' "$user_folder/tessdesk.ini"
    check "  and its bitmap there too" eventually shows "$user_folder/image2.gif"
    tessaly --quit && eventually ended $program
    rm -rf "$user_folder"
    wine reg delete "$run_key" /v Tessaly /f >/dev/null 2>&1
else
    echo "skip from a read-only folder: no read-only bind mount can be made here"
fi
umount "$app" 2>/dev/null
app=$portable

# The installer, silent, as an administrator would run it; the installed program; then its uninstaller.
installed="$WINEPREFIX/drive_c/Program Files/Tessaly"
check "the installer runs silently (/S)" wine "$setup" /S
wineserver -w
check "the installer puts tessaly.exe under Program Files" test -f "$installed/tessaly.exe"
check "the installer adds a Start-menu entry" test -n "$(find "$WINEPREFIX/drive_c" -name Tessaly.lnk -print -quit)"
app=$installed
starts tessaly
check "the installed program answers --status" eventually status_into "$work/status"
check "  and keeps its settings in %APPDATA%\\Tessaly, seeded from the shipped ones" \
    grep -qi '^0=.*Tessaly.image1\.gif' "$user_folder/tessdesk.ini"
check "  and nothing of its own under Program Files" bash -c "! ls '$installed' | grep -qi 'tessdesk\|tessaly.*bmp'"
check "  and is started at login through the Run key" \
    test "$(registry "$run_key" Tessaly)" = '"C:\Program Files\Tessaly\tessaly.exe"'
check "the uninstaller runs silently (/S), ending the running copy" wine "$installed/Uninstall.exe" /S
check "the uninstaller removes the program" eventually fails test -e "$installed/tessaly.exe"
check "the uninstaller removes the login start" fails login_start
((failures)) && { echo "--- wine log"; tail -n 30 "$work/wine.log" "$work/program.log"; grep -h '^FAIL!' -A3 "$work"/tst_*.log; }
exit $((failures > 0))
