#!/usr/bin/env bash
# After a ctest run in BUILD_DIR: prints the tests that may skip here (tests/skips.txt, the one
# list of them) with their reasons, marking those that skipped in that run, and lists any other
# test that skipped. With CI=true such an unlisted skip fails: a test that stops running where
# it should (a package gone from scripts/deps.sh, say) must not count as passed.
# A skip is what ctest's log shows: a QTest function's "SKIP   :" line, a shell suite's
# "SKIP ..." or "SKIPPED:" line, or ctest's own "skipped" for a test.
#   tests/check-skips.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: check-skips.sh BUILD_DIR}
list=$here/skips.txt
log=$build/Testing/Temporary/LastTest.log
if [ ! -f "$log" ]; then
  echo "check-skips.sh: $log is missing (run ctest first)" >&2
  exit 2
fi

# "NAME<TAB>first skip line" for each test of the run that skipped something.
skipped=$(awk '
  /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); next }
  name == "" || (name in seen) { next }
  /^[ \t]*SKIP[ \t]+:/ || /^[ \t]*SKIP / || /^SKIPPED:/ || /^Test (Skipped|Not Run)/ {
    line = $0; sub(/^[ \t]+/, "", line)
    seen[name] = 1; printf "%s\t%s\n", name, line
  }' "$log")

allowed() { sed '/^#/d' "$list" | awk -v n="$1" '$1 == n { found = 1 } END { exit !found }'; }

echo "== tests that may skip here (tests/skips.txt); * skipped in this run"
sed '/^#/d' "$list" | while read -r name why; do
  [ -n "$name" ] || continue
  mark=" "
  if printf '%s\n' "$skipped" | cut -f1 | grep -qxF "$name"; then mark="*"; fi
  printf ' %s %-22s %s\n' "$mark" "$name" "$why"
done

unlisted=0
while IFS=$'\t' read -r name line; do
  [ -n "$name" ] || continue
  allowed "$name" && continue
  unlisted=$((unlisted + 1))
  echo "SKIPPED, NOT IN tests/skips.txt: $name: $line"
done <<<"$skipped"

if [ "$unlisted" -gt 0 ] && [ "${CI:-}" = true ]; then
  echo "$unlisted test(s) skipped without a reason in tests/skips.txt (CI=true: that fails)"
  exit 1
fi
exit 0
