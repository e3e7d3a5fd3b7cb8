#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints how long the program takes from start to its tray icon being embedded, and what it costs
# while idle between changes: wake-ups (context switches of every thread) and CPU time over a window.
# Usage: bench/idle_and_start.sh [PROGRAM] [IDLE_SECONDS]   (needs Xvfb, trayer, xwininfo)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$here/build/dev/bin/tessaly}")
idle=${2:-60}
runs=5
for tool in Xvfb trayer xwininfo; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

root=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$root"; }
trap cleanup EXIT
n=120; while [[ -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
export DISPLAY=:$n HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/run
unset QT_QPA_PLATFORM WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
Xvfb "$DISPLAY" -noreset -screen 0 1024x768x24 >/dev/null 2>&1 & pids+=($!)
until xwininfo -root >/dev/null 2>&1; do sleep 0.05; done
trayer --edge top --align right --widthtype pixel --width 200 --height 32 --transparent false >/dev/null 2>&1 &
pids+=($!)
until xwininfo -root -tree | grep -q '("panel" "trayer")'; do sleep 0.05; done

icon_up() { xwininfo -root -tree | grep -q '"Tessaly": ("tessaly" "Tessaly")  *[0-9]*x[0-9]*+0+0'; }

# Start to icon: the first run seeds the folder; the later ones are the usual start.
echo "start to tray icon (ms):"
for i in $(seq $runs); do
    t0=$(date +%s%N)
    "$program" & app=$!
    until icon_up; do sleep 0.01; done
    t1=$(date +%s%N)
    echo "  run $i: $(((t1 - t0) / 1000000))"
    kill "$app"; wait "$app" 2>/dev/null || true
done

# Idle: a schedule far away so no change happens in the window.
ini=$XDG_CONFIG_HOME/tessaly/tessdesk.ini
sed -i 's/^timeOption=.*/timeOption=1/; s/^ChangeTime=.*/ChangeTime=2099-01-01/; s/^changeEveryBoot=.*/changeEveryBoot=0/' "$ini"
"$program" & app=$!; pids+=($app)
until icon_up; do sleep 0.05; done
sleep 2
switches() { local s=0; for t in /proc/$app/task/*; do
    s=$((s + $(awk '/^voluntary_ctxt_switches|^nonvoluntary_ctxt_switches/ {n += $2} END {print n}' "$t/status"))); done
    echo $s; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
s0=$(switches); c0=$(cpu_ticks)
sleep "$idle"
s1=$(switches); c1=$(cpu_ticks)
hz=$(getconf CLK_TCK)
wakeups=$((s1 - s0))
echo "idle for $idle s with $(ls /proc/$app/task | wc -l) threads:"
echo "  wake-ups (context switches): $wakeups = $(awk -v w=$wakeups -v s=$idle 'BEGIN {printf "%.3f", w / s}')/s = $(awk -v w=$wakeups -v s=$idle 'BEGIN {printf "%.2f", 60 * w / s}')/min"
echo "  CPU time: $(((c1 - c0) * 1000 / hz)) ms"
for t in /proc/$app/task/*; do
    echo "  thread $(cat "$t/comm"): $(awk '/ctxt_switches/ {n += $2} END {print n}' "$t/status") switches since start"
done
if command -v strace >/dev/null; then
    echo "  waits by system call over 20 s (strace -f -c):"
    timeout -s INT 20 strace -f -c -e trace=poll,ppoll,epoll_wait,select,pselect6 -p "$app" 2>&1 |
        sed -e '/^$/d' -e 's/^/    /' || true
fi
