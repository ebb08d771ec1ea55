#!/usr/bin/env bash
# The resident program's figures in one run: wake-ups, CPU and memory over an idle minute
# beside an empty Qt program with the same 10 ms and 50 ms timers, then the time from a
# double-click to the strip on the screen.
# Usage: bench/run-resident.sh [IDLE SECONDS, default 60] [RUNS, default 10]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
echo "== idle (targets: at most 2 wake-ups a second, at most 5 % of the floor's CPU time) =="
"$root/bench/app/run-idle.sh" "${1:-60}"
echo
echo "== double-click to strip (target: copy keystroke to strip at most 10 ms) =="
"$root/bench/run-popup.sh" "${2:-10}"
