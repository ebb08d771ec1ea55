#!/usr/bin/env bash
# Idle cost of the resident program next to its floor (an empty Qt program running 10 ms and
# 50 ms timers), on one private Xvfb with a window manager: wake-ups per second, CPU and
# resident memory of each over the same idle window; then a double-click translation and a
# panel search in the same run. Targets: at most 2 wake-ups a second, at most 5 % of the
# floor's CPU time.
# Usage: bench/app/run-idle.sh [SECONDS, default 60]   (prints key=value lines)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" >/dev/null
exec "$root/tests/with-x.sh" --wm -- bash "$root/bench/app/idle-inner.sh" "$build" "${1:-60}"
