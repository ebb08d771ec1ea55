#!/usr/bin/env bash
# Runs inside an X session (see run-idle-cpu.sh): the resident program and the floor side by
# side for the same minute, so both see the same machine noise.
set -euo pipefail
build=$1
secs=$2
tmp=$(mktemp -d)
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config ZARVIK_OFFLINE=1
mkdir -p "$XDG_CONFIG_HOME/Zarvik5"
printf '[Options]\nShowSplash=0\n' >"$XDG_CONFIG_HOME/Zarvik5/Zarvik5.ini"

source "$(dirname "$0")/../../tests/e2e/lib/x11.sh"
# An ordinary desktop moment: another program's text window has the keyboard.
read -r wish window _ < <(zx_text_window "idle-text" "nothing happens here")

"$build/program/zarvik" & pids=($!)
"$build/bench/idle_floor" & pids+=($!)
pids+=("$wish")
sleep 3
zx_activate "$window"
sleep 1

# CPU time of every thread of a process in nanoseconds (the scheduler's own account: far
# finer than the 10 ms ticks of /proc/PID/stat, which a comparison of 20 % cannot live with).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%d", sum }'; }
z0=$(cpu_ns "${pids[0]}"); f0=$(cpu_ns "${pids[1]}")
sleep "$secs"
z1=$(cpu_ns "${pids[0]}"); f1=$(cpu_ns "${pids[1]}")
rss=$(awk '/VmRSS/ {print $2}' "/proc/${pids[0]}/status")

awk -v z=$((z1 - z0)) -v f=$((f1 - f0)) -v s="$secs" -v rss="$rss" 'BEGIN {
    zp = 100 * z / 1e9 / s; fp = 100 * f / 1e9 / s
    printf "idle CPU over %d s: zarvik %.3f%% (%.0f ms), floor %.3f%% (%.0f ms)", s, zp, z / 1e6, fp, f / 1e6
    if (f > 0) printf ", ratio %.2f (target <= 1.20)", z / f
    printf "\nzarvik resident memory: %.1f MB (target < 60 MB)\n", rss / 1024
}'
