#!/usr/bin/env bash
# From Enter in the panel to the article window painted, on a private X server (Xvfb +
# openbox), on the program folder's dictionary (Mueller's when mueller7-dict is installed).
# Usage: bench/run-article.sh [BUILD_DIR]   ZARVIK_BENCH_BDD=FILE to measure another file
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${ZARVIK_BUILD_DIR:-$root/build}}
cmake --build "$build" -j2 --target bench_article_open zarvik_data >/dev/null
exec "$root/tests/with-x.sh" --wm -- "$build/bench/bench_article_open"
