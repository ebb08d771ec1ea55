#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (X11 tests start their own Xvfb):
#  1. the plain build (build/): the whole suite;
#  2. a clang build with AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/):
#     the whole suite again, plus a replay of every fuzz target's committed corpus;
#  3. each libFuzzer target for a bounded time, starting from its corpus.
# Any sanitizer report fails the step that met it. Leaks inside system libraries are
# suppressed by tests/sanitizers/lsan.supp, leak checking itself stays on.
# After the plain suite it prints the tests that may skip here (tests/skips.txt) and which did;
# with CI=true a test that skipped without being listed there fails the run.
# Settings: ZARVIK_SANITIZE=0 runs step 1 only; ZARVIK_FUZZ_SECONDS (default 20) bounds each
# fuzz run; ZARVIK_TEST_JOBS (default 2) is ctest's -j. Arguments go to the plain ctest run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
sanitize_build=${ZARVIK_SANITIZE_BUILD_DIR:-$root/build-sanitize}
jobs=${ZARVIK_TEST_JOBS:-2}
fuzz_seconds=${ZARVIK_FUZZ_SECONDS:-20}
# Keep the program from asking the network for its home page during tests.
export ZARVIK_OFFLINE=1

step() { echo "== $* ($(date -u +%H:%M:%S), ${SECONDS}s)"; }

"$root/scripts/deps.sh"
step "plain build"
"$root/scripts/build.sh"
step "plain suite"
suite=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@" || suite=$?
# The tests that may skip here and why; under CI=true a skip that list does not name fails.
"$root/tests/check-skips.sh" "$build" || suite=1
[ "$suite" = 0 ] || exit "$suite"

if [ "${ZARVIK_SANITIZE:-1}" = 0 ]; then
  exit 0
fi

step "sanitizer build"
# -O1 with line tables only: what the sanitizers advise, readable stacks, and a build much
# quicker than with full debug information.
ZARVIK_BUILD_DIR=$sanitize_build "$root/scripts/build.sh" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DZARVIK_SANITIZE=ON -DZARVIK_FUZZ=ON -DZARVIK_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
step "sanitizer suite"
ctest --test-dir "$sanitize_build" --output-on-failure -j "$jobs"

step "fuzzing, ${fuzz_seconds}s per target"
# Each target works in build-sanitize/fuzz-runs/NAME: new inputs go to a copy of the corpus
# there, and an input that crashed stays there (crash-*) with the run's log.
runs=$sanitize_build/fuzz-runs
failed=0
fuzz_one() {
  local name=$1 work=$runs/$1
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp "$root/tests/fuzz/corpus/$name/"* "$work/corpus/"
  (cd "$work" && "$sanitize_build/fuzz/$name" -max_total_time="$fuzz_seconds" -timeout=10 \
     -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 corpus >log 2>&1)
}
targets=$(cd "$root/tests/fuzz/corpus" && ls)
set -- $targets
while [ $# -gt 0 ]; do
  pids=()
  names=()
  for _ in $(seq "$jobs"); do
    [ $# -gt 0 ] || break
    fuzz_one "$1" &
    pids+=($!)
    names+=("$1")
    shift
  done
  for i in "${!pids[@]}"; do
    if wait "${pids[$i]}"; then
      echo "${names[$i]}: $(grep -m1 'stat::number_of_executed_units' "$runs/${names[$i]}/log" || true)"
    else
      failed=1
      echo "FUZZ FAILURE in ${names[$i]}:"
      tail -60 "$runs/${names[$i]}/log"
    fi
  done
done
step "done"
exit "$failed"
