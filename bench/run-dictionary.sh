#!/usr/bin/env bash
# Builds and runs the dictionary benchmarks and prints the figures: the median time of a
# prefix listing (ten lines) and of an exact lookup, each beside its in-memory floor, on the
# Mueller dictionary and on generated 1,000,000- and 5,000,000-entry ones (made once in the
# build folder),
# the time to import Mueller with the command-line tool, and the article cleaner on hostile
# articles (16 KB to 1 MB) with the growth fitted to its times.
# Usage: bench/run-dictionary.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2 --target bench_dictionary bench_cleaner zarvik-import >/dev/null

five_tsv=$build/bench/five-million.tsv
[ -s "$five_tsv" ] || python3 bench/tools/make-tsv.py 5000000 >"$five_tsv"

echo "== lookups (median of 10 repetitions; target: at most 10 us) =="
"$build/bench/bench_dictionary" \
    --benchmark_filter='Lookup|Prefix' \
    --benchmark_repetitions=10 \
    --benchmark_report_aggregates_only=true \
    --benchmark_format=console 2>/dev/null | grep -E '_median|ERROR' || true

echo
echo "== import of Mueller (target: under 2 s) =="
index=/usr/share/dictd/mueller7.index
if [ -f "$index" ]; then
    for run in 1 2 3; do
        start=$(date +%s%N)
        "$build/tools/zarvik-import/zarvik-import" "$index" "$build/bench/mueller-cli.bdd" 2>/dev/null
        end=$(date +%s%N)
        echo "zarvik-import mueller7, run $run: $(( (end - start) / 1000000 )) ms"
    done
else
    echo "mueller7-dict is not installed: skipped"
fi

echo
echo "== article cleaner on hostile articles (1 MB; growth should be N or NlgN, never N^2) =="
"$build/bench/bench_cleaner" --benchmark_min_time=0.05 2>/dev/null | grep -E '/1048576 |_BigO|resolveChain/16384 ' || true
