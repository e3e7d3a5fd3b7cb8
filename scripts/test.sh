#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the tests need, builds everything and runs every test: the Linux suite first, then the
# Windows one under Wine. Qt for Windows is built here only while time allows (WINDOWS_DEADLINE, seconds
# from the start: 50 minutes by default), so that the whole run stays within CI's 90 minutes; a build cut
# short is kept in its cache and goes on from there at the next run on the same machine.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
scripts/install-deps.sh packages-build.txt packages-test.txt
cmake --preset ci -DTESSALY_SYSTEM_TESTS=ON >/dev/null
cmake --build --preset ci
cmake --build --preset ci --target format-check
ctest --preset ci --label-exclude windows

cache=${TESSALY_WINDOWS_CACHE:-/var/cache/tessaly-windows}
if ! compgen -G "$cache/qt-*-mingw64/.complete" >/dev/null; then
    left=$((${WINDOWS_DEADLINE:-3000} - ($(date +%s) - start)))
    log=build/ci/build-windows-deps.log
    if ((left < 600)); then
        echo "WINDOWS TESTS NOT RUN: no Qt for Windows in $cache, and only $left s left to build it"
    else
        echo "building Qt for Windows (at most $left s; log: $log)"
        status=0
        timeout --kill-after=30 "$left" scripts/build-windows.sh --deps >"$log" 2>&1 || status=$?
        if ((status == 124 || status == 137)); then
            steps=$(grep -o '^\[[0-9]*/[0-9]*\]' "$log" | tail -n1)
            echo "WINDOWS TESTS NOT RUN: Qt for Windows was not built within $left s" \
                "(at step ${steps:-0 of its build}; the next run on this machine goes on from there)"
        elif ((status != 0)); then
            tail -n 30 "$log"
            echo "FAIL scripts/build-windows.sh --deps (exit $status)" && exit 1
        fi
    fi
fi
ctest --preset ci --label-regex windows
# A skipped test is only named by ctest; the reason the Windows ones were skipped is worth a line.
grep -h '^WINDOWS TESTS NOT RUN' build/ci/Testing/Temporary/LastTest.log || true
echo "test run took $(($(date +%s) - start)) s"
