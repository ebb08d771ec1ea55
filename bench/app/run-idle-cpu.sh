#!/usr/bin/env bash
# Idle cost of the resident program next to its floor, on a private Xvfb with a window
# manager. Usage: bench/app/run-idle-cpu.sh [seconds, default 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" >/dev/null
exec "$root/tests/with-x.sh" --wm -- bash "$root/bench/app/idle-cpu-inner.sh" "$build" "${1:-60}"
