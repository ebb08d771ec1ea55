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

"$build/program/zarvik" & pids=($!)
"$build/bench/idle_floor" & pids+=($!)
sleep 3

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
z0=$(ticks "${pids[0]}"); f0=$(ticks "${pids[1]}")
sleep "$secs"
z1=$(ticks "${pids[0]}"); f1=$(ticks "${pids[1]}")
rss=$(awk '/VmRSS/ {print $2}' "/proc/${pids[0]}/status")

hz=$(getconf CLK_TCK)
awk -v z=$((z1 - z0)) -v f=$((f1 - f0)) -v s="$secs" -v hz="$hz" -v rss="$rss" 'BEGIN {
    zp = 100 * z / hz / s; fp = 100 * f / hz / s
    printf "idle CPU over %d s: zarvik %.2f%% (%d ticks), floor %.2f%% (%d ticks)", s, zp, z, fp, f
    if (f > 0) printf ", ratio %.2f (target <= 1.20)", z / f
    printf "\nzarvik resident memory: %.1f MB (target < 60 MB)\n", rss / 1024
}'
