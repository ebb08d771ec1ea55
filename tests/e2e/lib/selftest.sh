#!/usr/bin/env bash
# The suites' own rules, without a display: a shell suite's verdict (zx_summary) and the
# check of skipped tests against tests/skips.txt (tests/check-skips.sh). Each row is
# "expected status | command".
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=x11.sh
source "$here/x11.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-selftest.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A ctest log of two tests: NAME's function skipped, tst_journal's too (a listed one).
log_with_skip() {
  mkdir -p "$work/$1/Testing/Temporary"
  printf '1/2 Test: %s\nOutput:\nPASS   : T::a()\nSKIP   : T::b() no such thing here\n2/2 Test: tst_journal\nSKIP   : J::c() root\n' \
    "$1" >"$work/$1/Testing/Temporary/LastTest.log"
}
log_with_skip tst_unlisted
log_with_skip tst_fileregistry
mkdir -p "$work/clean/Testing/Temporary"
printf '1/1 Test: tst_unlisted\nOutput:\nPASS   : T::a()\n' >"$work/clean/Testing/Temporary/LastTest.log"

bad=0
row() {
  local want=$1 got
  shift
  (eval "$*") >"$work/out" 2>&1
  got=$?
  if [ "$got" = "$want" ]; then
    echo "PASS [$*]"
  else
    echo "FAIL [$*]: status $got, expected $want"
    sed 's/^/    /' "$work/out"
    bad=1
  fi
}
row 1 zx_summary 0 0
row 0 zx_summary 1 0
row 1 zx_summary 0 1
row 1 zx_summary 5 1
row 1 CI=true "$here/../../check-skips.sh" "$work/tst_unlisted"
row 0 CI= "$here/../../check-skips.sh" "$work/tst_unlisted"
row 0 CI=true "$here/../../check-skips.sh" "$work/tst_fileregistry"
row 0 CI=true "$here/../../check-skips.sh" "$work/clean"
row 2 CI=true "$here/../../check-skips.sh" "$work/nowhere"
exit "$bad"
