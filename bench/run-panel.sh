#!/usr/bin/env bash
# Builds and runs the panel benchmark and prints the figures: from a keystroke in the panel's
# input line to the updated list and panel height, per keystroke (median and 90th percentile
# of the single keystrokes, each the median of 5 repetitions), for words typed letter by letter
# and deleted back, beside the dictionary's share (the listing alone) and the widgets' share
# (ten fixed lines) measured in the same run.
# Usage: bench/run-panel.sh [BUILD_DIR] [BENCHMARK ARGS...]   (default: build)
#        ZARVIK_BENCH_BDD=FILE bench/run-panel.sh   to measure another dictionary file
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
[ $# -gt 0 ] && shift

cmake -S "$root" -B "$build" -G Ninja >/dev/null
# zarvik_data builds the program folder's zarvik.bdd (Mueller's when mueller7-dict is installed).
cmake --build "$build" -j2 --target bench_panel_keystroke zarvik_data >/dev/null

export QT_QPA_PLATFORM=offscreen
out=$("$build/bench/bench_panel_keystroke" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv "$@" 2>/dev/null)

printf '%s\n' "$out" | grep -E '^(dictionary|SKIPPED):' || true
if printf '%s\n' "$out" | grep -q '^SKIPPED:'; then
    exit 0
fi
echo
printf '%s\n' "$out" | awk -F, '
    /^name,/ {
        for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); col[$i] = i }
        next
    }
    /_median"/ {
        name = $1; gsub(/"/, "", name); sub(/\/iterations:[0-9]+\/manual_time_median$/, "", name)
        if ($col["error_occurred"] == "true") { printf "%-42s ERROR %s\n", name, $col["error_message"]; next }
        median = $col["median_us"]; p90 = $col["p90_us"]
        printf "%-42s median %7.1f us   p90 %7.1f us\n", name, median, p90
        group = name; sub(/\/[^\/]*$/, "", group)
        sum[group] += median; n[group]++
        if (!(group in seen)) { seen[group] = 1; order[++groups] = group }
    }
    END {
        print ""
        print "== per keystroke, mean of the words above (median of each word) =="
        for (g = 1; g <= groups; g++)
            printf "%-42s %7.1f us\n", order[g], sum[order[g]] / n[order[g]]
    }'
