#!/usr/bin/env bash
# Time from a double-click on a word in another program to the strip on the screen, on a
# private X server (Xvfb + openbox). Usage: bench/run-popup.sh [RUNS, default 10]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
cmake --build "$build" --target zarvik zarvik_data bench_popup_latency >/dev/null
exec "$root/tests/with-x.sh" --wm -- "$build/bench/bench_popup_latency" \
  "$build/program/zarvik" "$build/sample.bdd" "$root/data/null.wav" \
  "$root/tests/e2e/popup/wordwindow.tcl" "${1:-10}"
