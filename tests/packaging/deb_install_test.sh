#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# deb_install_test.sh CPACK BUILD_DIR: builds the Debian package, installs it system-wide with apt-get, starts
# it as a new user would and removes it. It changes the machine: only with -DTESSALY_SYSTEM_TESTS=ON.
set -uo pipefail
work=$(mktemp -d /tmp/tessaly-deb-XXXXXX)
failures=0
check() {
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1" && failures=$((failures + 1)); fi
}
apt() { DEBIAN_FRONTEND=noninteractive apt-get "$@" -y -qq -o DPkg::Lock::Timeout=120 >"$work/apt.log" 2>&1 || ! cat "$work/apt.log"; }
trap 'kill %1 2>/dev/null; dpkg -s tessaly >/dev/null 2>&1 && apt remove tessaly; rm -rf "$work"' EXIT
if [[ $(id -u) -ne 0 ]] || dpkg -s tessaly >/dev/null 2>&1; then
    echo "FAIL this test installs system-wide: run it as root, with no tessaly package installed" && exit 1
fi

check "cpack -G DEB" "$1" -G DEB --config "$2/CPackConfig.cmake" -B "$work/out"
deb=$(echo "$work"/out/tessaly_*.deb)
for needed in libqt6widgets6 libqt6dbus6 libx11-6 fonts-dejavu-core qt6-image-formats-plugins; do
    check "the package depends on $needed" grep -qw "$needed" <<<"$(dpkg-deb -f "$deb" Depends)"
done
check "the program in the package is stripped" \
    bash -c "dpkg-deb --fsys-tarfile '$deb' | tar -xO ./usr/bin/tessaly | file - | grep -q ', stripped'"
check "apt-get install ./tessaly_*.deb" apt install "$deb"
for file in /usr/bin/tessaly /usr/share/tessaly/tessdesk.ini /usr/share/applications/tessaly.desktop \
    /usr/share/icons/hicolor/48x48/apps/tessaly.png /usr/share/doc/tessaly/copyright /usr/share/man/man1/tessaly.1 \
    /usr/share/doc/tessaly/README.md; do
    check "installed: $file" test -f "$file"
done
manual=$(MANWIDTH=200 man -l /usr/share/man/man1/tessaly.1 2>/dev/null)
# Every key of the README's settings table, as "[section] key" or in a list of keys after it.
keys=$(grep -oE '^\| `[a-z]+` \| `[A-Za-z]+`' /usr/share/doc/tessaly/README.md | tr -d '|`' | awk '{print $2}')
check "the manual names the desktops and every settings key ($(wc -w <<<"$keys") in the README)" \
    bash -c 'grep -q "^DESKTOPS" <<<"$1" && for key in $2; do grep -qw "$key" <<<"$1" || exit 1; done' _ "$manual" "$keys"
check "the menu entry takes pictures" grep -q '^MimeType=image/jpeg;' /usr/share/applications/tessaly.desktop
check "every library of the program is found" bash -c "! ldd /usr/bin/tessaly | grep -q 'not found'"

# A new user: an empty home, nothing of the session but Qt's offscreen screen.
home=$work/home
mkdir -p -m 700 "$home/run"
env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen /usr/bin/tessaly &
settings=$home/.config/tessaly/tessdesk.ini
for _ in $(seq 100); do grep -q "^firstRun=False" "$settings" 2>/dev/null && break || sleep 0.1; done
check "the first start seeds ~/.config/tessaly" grep -qx "0=$home/.config/tessaly/image1.gif" "$settings"
check "the login entry names the program it needs" \
    grep -qx "TryExec=/usr/bin/tessaly" "$home/.config/autostart/tessaly.desktop"
check "the program keeps running" kill %1
check "apt-get remove tessaly" apt remove tessaly
check "the program and its shipped data are gone" test ! -e /usr/bin/tessaly -a ! -e /usr/share/tessaly
check "the user's own folder is left alone" test -f "$settings"
echo "$failures failed"
[[ $failures -eq 0 ]]
