#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of a build folder, installs it system-wide with apt-get (which pulls its
# dependencies), starts the installed /usr/bin/tessaly as a new user would and removes the package.
# It changes the machine: CMake registers it only with -DTESSALY_SYSTEM_TESTS=ON.
#
#   deb_install_test.sh CPACK BUILD_DIR
set -uo pipefail
cpack=$1
build=$2
failures=0
installed=0
work=$(mktemp -d /tmp/tessaly-deb-XXXXXX)
app=

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok   $what"
    else
        echo "FAIL $what"
        failures=$((failures + 1))
    fi
}

package_state() {
    dpkg-query -W -f='${Status}' tessaly 2>/dev/null || true
}

cleanup() {
    [[ -n "$app" ]] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
    if [[ $installed -eq 1 ]]; then
        apt-get remove -y -qq -o DPkg::Lock::Timeout=120 tessaly >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

if [[ $(id -u) -ne 0 ]]; then
    echo "FAIL the package test installs system-wide and must run as root"
    exit 1
fi
if [[ "$(package_state)" == *"ok installed"* ]]; then
    echo "FAIL a tessaly package is installed already; remove it (apt-get remove tessaly) and run again"
    exit 1
fi

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL cpack -G DEB"
    exit 1
fi
debs=("$work"/out/tessaly_*.deb)
check "cpack makes one package" test ${#debs[@]} -eq 1 -a -f "${debs[0]}"
deb=${debs[0]}
depends=$(dpkg-deb -f "$deb" Depends)
echo "     Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6dbus6 libqt6core6 libx11-6 fonts-dejavu-core \
    qt6-image-formats-plugins; do
    check "the package depends on $needed" grep -q "\b$needed\b" <<<"$depends"
done
check "the program in the package is stripped" \
    bash -c "dpkg-deb --fsys-tarfile '$deb' | tar -xO ./usr/bin/tessaly | file - | grep -q ', stripped'"

export DEBIAN_FRONTEND=noninteractive
if apt-get install -y -qq -o DPkg::Lock::Timeout=120 "$deb" >"$work/apt.log" 2>&1; then
    installed=1
else
    cat "$work/apt.log"
fi
check "apt-get install ./tessaly_*.deb" test $installed -eq 1
for file in /usr/bin/tessaly /usr/share/tessaly/tessdesk.ini /usr/share/tessaly/badimage.bmp \
    /usr/share/applications/tessaly.desktop /usr/share/metainfo/org.tessaly.Tessaly.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/tessaly.png /usr/share/icons/hicolor/scalable/apps/tessaly.svg \
    /usr/share/doc/tessaly/copyright /usr/share/man/man1/tessaly.1; do
    check "installed: $file" test -f "$file"
done
check "every library of the program is found" bash -c "! ldd /usr/bin/tessaly | grep -q 'not found'"

# A new user: an empty home, nothing of the session but Qt's offscreen screen.
home=$work/home
mkdir -p "$home/run" && chmod 700 "$home/run"
env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" \
    QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 /usr/bin/tessaly >"$work/app.log" 2>&1 &
app=$!
settings=$home/.config/tessaly/tessdesk.ini
for _ in $(seq 100); do
    grep -q "^firstRun=False" "$settings" 2>/dev/null && break
    sleep 0.1
done
check "the installed program seeds ~/.config/tessaly at its first start" grep -q "^firstRun=False" "$settings"
check "its list holds the shipped pictures from the user's folder" \
    grep -qx "0=$home/.config/tessaly/image1.gif" "$settings"
check "the program keeps running" kill -0 "$app"
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
app=

if apt-get remove -y -qq -o DPkg::Lock::Timeout=120 tessaly >"$work/apt.log" 2>&1; then
    installed=0
else
    cat "$work/apt.log"
fi
check "apt-get remove tessaly" test $installed -eq 0
check "the program is gone" test ! -e /usr/bin/tessaly
check "its shipped data is gone" test ! -e /usr/share/tessaly
check "the user's own folder is left alone" test -f "$settings"

echo "$failures failed"
[[ $failures -eq 0 ]]
