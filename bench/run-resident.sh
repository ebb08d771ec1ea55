#!/usr/bin/env bash
# The resident program's figures in one run: idle CPU over a minute beside an empty Qt
# program with the same 10 ms and 50 ms timers, then the time from a double-click to the
# strip on the screen. Usage: bench/run-resident.sh [IDLE SECONDS, default 60] [RUNS, default 10]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
echo "== idle (target: at most 1.2 x the floor) =="
"$root/bench/app/run-idle-cpu.sh" "${1:-60}"
echo
echo "== double-click to strip (target: the 0.15 s wait plus at most one 50 ms lookup tick) =="
"$root/bench/run-popup.sh" "${2:-10}"
