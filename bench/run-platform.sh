#!/usr/bin/env bash
# Reports what the per-tick platform queries cost on a private X server (Xvfb + openbox),
# next to one round trip to the server as the baseline. Extra arguments go to the benchmark.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
cmake --build "$build" --target bench_platform_tick >/dev/null
export ZARVIK_OFFLINE=1
exec "$root/tests/with-x.sh" --wm -- "$build/bench/bench_platform_tick" \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
