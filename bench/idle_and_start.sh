#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints how long the program takes from start to its tray icon being embedded, beside a minimal Qt
# tray program (bench/tray_minimal, built with the benchmarks) started the same way in the same run,
# and what it costs while idle between changes: resident memory, wake-ups (context switches of every
# thread) and CPU time over a window.
# Last, with CHANGES > 0, it changes the wallpaper that many times by clicks on the icon, a 24 MP
# photo onto the 3840x2160 screen through the real desktop back end, and prints the resident memory
# after some of them.
# Usage: [RUNS=21] [ROUNDS=5] bench/idle_and_start.sh [PROGRAM] [IDLE_SECONDS] [CHANGES]
#        (needs Xvfb, trayer, xwininfo; xdotool and ImageMagick for the changes)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$here/build/bench/bin/tessaly}")
minimal=$(realpath "$(dirname "$program")/../bench/tray_minimal")
waiter=$(realpath "$(dirname "$program")/../bench/tray_wait")
idle=${2:-60}
changes=${3:-0}
runs=${RUNS:-21}
for tool in Xvfb trayer xwininfo; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

root=$(mktemp -d)
# A desktop session's runtime folder is in memory (systemd-logind mounts /run/user/UID as tmpfs).
run=$(mktemp -d -p /dev/shm)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$root" "$run"; }
trap cleanup EXIT
n=120; while [[ -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
export DISPLAY=:$n HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$run
unset QT_QPA_PLATFORM WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && chmod 700 "$XDG_RUNTIME_DIR"
desktop=()
desktop_up() {
    Xvfb "$DISPLAY" -noreset -screen 0 3840x2160x24 >/dev/null 2>&1 & desktop=($!)
    until xwininfo -root >/dev/null 2>&1; do sleep 0.05; done
    trayer --edge top --align right --widthtype pixel --width 200 --height 32 --transparent false \
        >/dev/null 2>&1 & desktop+=($!)
    pids+=("${desktop[@]}")
    until xwininfo -root -tree | grep -q '("panel" "trayer")'; do sleep 0.05; done
}
desktop_down() {
    kill "${desktop[@]}" 2>/dev/null || true
    wait "${desktop[@]}" 2>/dev/null || true
    while [[ -e /tmp/.X$n-lock ]]; do sleep 0.05; done
}

icon_up() { xwininfo -root -tree | grep -q "\"Tessaly\": (\"$1\" \"Tessaly\")  *[0-9]*x[0-9]*+0+0"; }
rss_mib() { awk '/^VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }

# Milliseconds from start to the tray host taking the icon in, and the resident MiB then: told by the X
# event itself, as polling the window tree would round every start up to its next look.
start_ms() { "$waiter" "$1"; }
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Start to icon, the two programs in turn, RUNS pairs on each of ROUNDS fresh X servers: one run varies by
# several ms, and one X server and tray host can favour either program by as much as the target allows.
# The first run of ours seeds its folder and is left out.
ratios=()
for round in $(seq "${ROUNDS:-5}"); do
    desktop_up
    start_ms "$program" >/dev/null
    ours=() theirs=()
    for i in $(seq $runs); do
        ours+=("$(start_ms "$program")")
        theirs+=("$(start_ms "$minimal")")
    done
    desktop_down
    o=$(printf '%s\n' "${ours[@]}" | cut -d' ' -f1 | median)
    m=$(printf '%s\n' "${theirs[@]}" | cut -d' ' -f1 | median)
    ratios+=("$(awk -v o=$o -v m=$m 'BEGIN {printf "%.2f", o / m}')")
    echo "  round $round, medians of $runs: tessaly $o ms, minimal Qt tray program $m ms, ratio ${ratios[-1]}"
done
echo "start to tray icon: ratio $(printf '%s\n' "${ratios[@]}" | median), the median of ${#ratios[@]} rounds" \
    "(target <= 1.20); resident MiB at the last icon: tessaly ${ours[-1]#* }, minimal ${theirs[-1]#* }"
desktop_up

# Idle: a schedule far away so no change happens in the window.
ini=$XDG_CONFIG_HOME/tessaly/tessdesk.ini
sed -i 's/^timeOption=.*/timeOption=1/; s/^ChangeTime=.*/ChangeTime=2099-01-01/; s/^changeEveryBoot=.*/changeEveryBoot=0/' "$ini"
"$program" & app=$!; pids+=($app)
until icon_up tessaly; do sleep 0.05; done
sleep 2
"$minimal" & reference=$!; pids+=($reference)
until icon_up tray_minimal; do sleep 0.05; done
sleep 2
echo "idle resident memory: tessaly $(rss_mib $app) MiB, minimal Qt tray program $(rss_mib $reference) MiB" \
    "(target <= 30 MiB)"
kill $reference
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

if ((changes > 0)); then
    photo=$root/photo.jpg
    convert -size 6000x4000 gradient:navy-orange -attenuate 0.4 +noise Uniform -quality 90 "$photo"
    kill "$app"; wait "$app" 2>/dev/null || true
    sed -i "s|^total=.*|total=1|; s|^0=.*|0=$photo|; /^1=/d" "$ini"
    "$program" & app=$!; pids+=($app)
    until icon_up tessaly; do sleep 0.05; done
    icon=$(xwininfo -root -tree | grep '"Tessaly": ("tessaly" "Tessaly")' | awk '{print $1}')
    bitmap_time() { stat -c %i.%y "$XDG_CONFIG_HOME/tessaly/tessaly.bmp" 2>/dev/null || echo none; }
    echo "resident memory after changes of a 24 MP photo at 3840x2160 (target <= 30 MiB, no growth):"
    for i in $(seq "$changes"); do
        before=$(awk -F= '/^imageNum=/ {print}' "$ini")$(bitmap_time)
        xdotool mousemove --window "$icon" 5 5 click 1
        # A change is over when its bitmap is written and the half-second wait before applying it has run.
        until [[ "$(awk -F= '/^imageNum=/ {print}' "$ini")$(bitmap_time)" != "$before" ]]; do sleep 0.05; done
        sleep 1
        case $i in 1 | 2 | 5 | 10 | 20 | 50 | 100 | 200 | 500) echo "  after $i: $(rss_mib $app) MiB" ;; esac
    done
fi
