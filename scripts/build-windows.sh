#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tessaly for 64-bit Windows: build/windows/tessaly-<version>-win64.zip and, beside it, the installer
# tessaly-<version>-setup.exe.
#
# Qt for Windows and libjpeg-turbo for Windows are built from Debian's own source packages with MinGW-w64
# and kept outside the checkout (TESSALY_WINDOWS_CACHE, /var/cache/tessaly-windows by default), one
# folder per version: a second run finds them and goes straight to Tessaly. The Qt build takes most of an
# hour on two cores the first time; ccache (in the same cache folder) makes a rebuild a matter of minutes.
#
#   scripts/build-windows.sh            everything that is missing, then Tessaly
#   scripts/build-windows.sh --deps     Qt and libjpeg-turbo only
#   JOBS=2 NICE=1 ...                   parallel jobs; NICE=1 runs the long builds at the lowest priority
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_dir=$(dirname "$here")
cache=${TESSALY_WINDOWS_CACHE:-/var/cache/tessaly-windows}
jobs=${JOBS:-$(nproc)}
toolchain=$source_dir/cmake/mingw-w64-x86_64.cmake
slow=()
[[ ${NICE:-0} == 1 ]] && slow=(nice -n 19 ionice -c3)

log() { echo "build-windows: $*"; }

# The host's Qt supplies moc, rcc and uic for the cross build, so the Windows Qt must be the same version.
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null | sed 's/+.*//') || true

install_packages() {
    "$here/install-deps.sh" packages-windows.txt
    qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools | sed 's/+.*//')
    local list=/etc/apt/sources.list.d/tessaly-deb-src.sources
    if ! apt-get indextargets --format '$(IDENTIFIER)' 2>/dev/null | grep -qx 'Sources'; then
        local uri
        uri=$(grep -h '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1 | awk '{print $2}')
        uri=${uri:-http://deb.debian.org/debian}
        log "adding the source packages of $uri to apt ($list)"
        printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' \
            "$uri" /usr/share/keyrings/debian-archive-keyring.gpg >"$list"
        apt-get update -qq
    fi
}

# Unpacks Debian's source of $1 (patches applied) into $cache/src and prints the folder.
debian_source() {
    local package=$1 dir
    mkdir -p "$cache/src"
    dir=$(find -H "$cache/src" -maxdepth 1 -type d -name "$package-*" | head -n1)
    if [[ -z "$dir" ]]; then
        (cd "$cache/src" && apt-get source -qq "$package" >&2)
        dir=$(find -H "$cache/src" -maxdepth 1 -type d -name "$package-*" | head -n1)
    fi
    [[ -n "$dir" ]] || { log "the source of $package could not be unpacked into $cache/src" && return 1; }
    echo "$dir"
}

build_qt() {
    local prefix=$1 src build
    src=$(debian_source qt6-base) || return 1
    build=$cache/build/qt-$qt_version
    # Qt 6.4's Windows plugin uses Direct2D types wherever DirectWrite 3 is on; without Direct2D (which
    # MinGW's headers lack) those two places must be left out as well.
    sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
        "$src/src/plugins/platforms/windows/qwindowsintegration.cpp"
    # Dynamic OpenGL stays on as a feature with OpenGL off; the one place that then needs OpenGL's types
    # must be left out too.
    sed -i '/isSoftwareGl()$/,/^}/ s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$src/src/plugins/platforms/windows/qwindowswindow.cpp"
    export CCACHE_DIR=$cache/ccache CCACHE_BASEDIR=$cache CCACHE_MAXSIZE=5G
    export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    cmake -S "$src" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF \
        -DFEATURE_freetype=OFF -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_openssl=OFF \
        -DFEATURE_dbus=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF
    "${slow[@]}" cmake --build "$build" -j"$jobs"
    cmake --install "$build"
}

build_jpeg() {
    local prefix=$1 src build
    src=$(debian_source libjpeg-turbo) || return 1
    build=$cache/build/$(basename "$src")
    # Static: the strip decoder is its only user, and the package needs no DLL more.
    cmake -S "$src" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF \
        -DCMAKE_ASM_NASM_COMPILER=nasm -DCMAKE_POSITION_INDEPENDENT_CODE=ON
    "${slow[@]}" cmake --build "$build" -j"$jobs"
    cmake --install "$build"
}

# Runs `$1 <prefix>` unless <prefix> is complete; a build cut short starts again.
build_once() {
    local what=$1 prefix=$2 start=$SECONDS
    if [[ -f "$prefix/.complete" ]]; then
        log "found $prefix"
        return
    fi
    log "building $prefix"
    rm -rf "$prefix"
    "$what" "$prefix"
    touch "$prefix/.complete"
    log "built $prefix in $((SECONDS - start)) s"
}

qt_prefix() { echo "$cache/qt-$qt_version-mingw64"; }
jpeg_prefix() {
    echo "$cache/libjpeg-turbo-$(apt-cache showsrc libjpeg-turbo | awk '/^Version:/ {print $2; exit}' |
        sed 's/^[0-9]*://; s/-.*//')-mingw64"
}

build_tessaly() {
    local build=$source_dir/build/windows
    export CCACHE_DIR=${CCACHE_DIR:-$cache/ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-$source_dir}
    cmake -S "$source_dir" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_BUILD_TYPE=Release -DTESSALY_BUILD_TESTS=ON -DTESSALY_BUILD_BENCH=OFF \
        -DCMAKE_PREFIX_PATH="$(qt_prefix);$(jpeg_prefix)" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    "${slow[@]}" cmake --build "$build" -j"$jobs"
    (cd "$build" && cpack -G "ZIP;NSIS")
    log "made $(cd "$build" && ls tessaly-*-win64.zip tessaly-*-setup.exe | sed "s|^|$build/|" | tr '\n' ' ')"
}

main() {
    install_packages
    build_once build_qt "$(qt_prefix)"
    build_once build_jpeg "$(jpeg_prefix)"
    [[ ${1:-} == --deps ]] && return
    build_tessaly
}

# Sourced, it only defines the steps.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    main "$@"
fi
