#!/usr/bin/env bash
# Builds and runs the journal benchmark and prints its figures (medians of 5 repetitions) with a
# journal of 100,000 words: the interface thread's processor time to record one word, the
# write itself on the recorder's thread, and making the journal window to its first rows.
# Usage: bench/run-journal.sh [BUILD_DIR] [BENCHMARK ARGS...]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
[ $# -gt 0 ] && shift

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2 --target bench_journal >/dev/null

export QT_QPA_PLATFORM=offscreen
"$build/bench/bench_journal" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@" 2>/dev/null |
    grep -E '^(Benchmark|-|.*_median)'
