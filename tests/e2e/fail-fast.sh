#!/usr/bin/env bash
# Runs every end-to-end test with a program that exits at once in place of zarvik, and checks
# that each fails, within LIMIT seconds, with a message. A broken program must make the suite
# fail quickly and say why, never hang it. Not part of the suite (it runs each test once more);
# run it after changing an end-to-end script:
#   tests/e2e/fail-fast.sh BUILD_DIR [LIMIT]        (LIMIT: 60 s by default)
# Prints one line per test (time, verdict, its first failure line) and exits non-zero when a
# test passed, took longer than LIMIT, or failed without saying why.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: fail-fast.sh BUILD_DIR [LIMIT]}" && pwd)
limit=${2:-60}
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-fail-fast.XXXXXX")
trap 'rm -rf "$work"' EXIT

stub=$work/zarvik
printf '#!/bin/sh\nexit 0\n' >"$stub"
chmod +x "$stub"

# The commands ctest would run, with the stub for the built program: "NAME<TAB>ARG<TAB>ARG...".
ctest --test-dir "$build" --show-only=json-v1 -L x11 2>/dev/null | python3 -c '
import json, sys
stub, program = sys.argv[1], sys.argv[2]
for t in json.load(sys.stdin)["tests"]:
    if not t["name"].startswith("e2e_"):
        continue
    cmd = [stub if a == program else a for a in t["command"]]
    print("\t".join([t["name"]] + cmd))
' "$stub" "$build/program/zarvik" >"$work/tests"

bad=0
while IFS=$'\t' read -r -a line; do
  name=${line[0]}
  cmd=("${line[@]:1}")
  if [ "$name" = e2e_installed ]; then
    # The installed tree, with the stub put in the place of the installed program.
    prefix=$work/prefix
    rm -rf "$prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null 2>&1 || { echo "$name: cannot install"; bad=1; continue; }
    cp "$stub" "$prefix/lib/zarvik/zarvik"
    cmd=("$here/../with-x.sh" --tray -- bash "$here/package/installed.sh" "$prefix")
  fi
  started=$EPOCHREALTIME
  # Twice the limit as a last resort, so that one hanging test does not stop the rest.
  timeout -k 5 $((2 * limit)) "${cmd[@]}" >"$work/out" 2>&1 </dev/null
  status=$?
  took=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  # The first failure line, with the reason below it when the case line only names the case.
  message=$(grep -m1 -A1 -E 'FAIL|fail|no |did not' "$work/out" | sed 's/^ *//' | paste -sd ' ')
  verdict=ok
  if [ "$status" = 0 ]; then
    verdict="PASSED with a program that does nothing"
  elif [ "$status" = 124 ] || [ "$status" = 137 ] || awk -v t="$took" -v l="$limit" 'BEGIN { exit !(t > l) }'; then
    verdict="TOO SLOW (status $status)"
  elif [ -z "$message" ]; then
    verdict="NO MESSAGE (status $status)"
  fi
  [ "$verdict" = ok ] || bad=1
  printf '%-22s %6s s  status %-3s %s: %s\n' "$name" "$took" "$status" "$verdict" "$message"
  [ "$verdict" = ok ] || sed 's/^/    /' "$work/out" | tail -20
done <"$work/tests"
exit "$bad"
