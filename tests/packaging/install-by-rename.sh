#!/usr/bin/env bash
# zarvik_install_by_rename on a project of its own: what an install does to a file that a
# running program has open, to an unchanged file, to a missing one, and where it writes.
# Usage: install-by-rename.sh SOURCE_DIR
set -u
source_dir=$(cd "$1" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-rename.XXXXXX")
holder=""
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null && wait "$holder" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL [$case_name]: $*"
  failures=$((failures + 1))
}

mkdir -p "$tmp/project" "$tmp/files"
cat >"$tmp/project/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.21)
project(rename NONE)
include($source_dir/packaging/ZarvikInstall.cmake)
zarvik_install_by_rename(DESTINATION lib/zarvik FILES $tmp/files/zarvik.bdd)
zarvik_install_by_rename(DESTINATION lib/zarvik PROGRAM FILES $tmp/files/zarvik)
zarvik_install_by_rename(DESTINATION lib/zarvik OPTIONAL FILES $tmp/files/zarvik.chm)
CMAKE
cmake -S "$tmp/project" -B "$tmp/build" >/dev/null || { echo "FAIL: configure"; exit 1; }

prefix=$tmp/prefix
target=$prefix/lib/zarvik
install_tree() { cmake --install "$tmp/build" --prefix "$prefix" >"$tmp/install.log" 2>&1; }
inode() { stat -c %i "$1"; }
mode() { stat -c %a "$1"; }

case_name="first install: data read-only for all, program executable, optional file skipped"
echo "first dictionary" >"$tmp/files/zarvik.bdd"
cp "$(type -P sleep)" "$tmp/files/zarvik"
if install_tree; then
  [ "$(cat "$target/zarvik.bdd" 2>/dev/null)" = "first dictionary" ] || fail "zarvik.bdd not installed"
  [ "$(mode "$target/zarvik.bdd")" = 644 ] || fail "zarvik.bdd has mode $(mode "$target/zarvik.bdd")"
  [ "$(mode "$target/zarvik")" = 755 ] || fail "the program has mode $(mode "$target/zarvik")"
  [ ! -e "$target/zarvik.chm" ] || fail "a missing optional file was installed"
  grep -q "$target/zarvik.bdd" "$tmp/build/install_manifest.txt" || fail "zarvik.bdd is not in the manifest"
else
  fail "the install failed: $(cat "$tmp/install.log")"
fi

case_name="update while the program runs and holds the dictionary open"
# The running program (a copy of sleep installed as the program) keeps the dictionary open on
# descriptor 3, as a resident reader does.
"$target/zarvik" 60 3<"$target/zarvik.bdd" &
holder=$!
sleep 0.2
old_bdd=$(inode "$target/zarvik.bdd")
old_program=$(inode "$target/zarvik")
echo "second dictionary" >"$tmp/files/zarvik.bdd"
cp "$(type -P true)" "$tmp/files/zarvik"
if install_tree; then
  [ "$(cat "$target/zarvik.bdd")" = "second dictionary" ] || fail "the new dictionary is not in place"
  [ "$(inode "$target/zarvik.bdd")" != "$old_bdd" ] || fail "the dictionary was rewritten in place"
  [ "$(inode "$target/zarvik")" != "$old_program" ] || fail "the program was rewritten in place"
  [ "$(cat "/proc/$holder/fd/3")" = "first dictionary" ] || fail "the running program's open dictionary changed"
  kill -0 "$holder" 2>/dev/null || fail "the running program died"
  leftovers=$(find "$target" -name '.*' -type f)
  [ -z "$leftovers" ] || fail "temporary files left behind: $leftovers"
else
  fail "the install failed while the program ran: $(cat "$tmp/install.log")"
fi
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
holder=""

case_name="an unchanged file is left alone"
before=$(inode "$target/zarvik.bdd")
if install_tree; then
  [ "$(inode "$target/zarvik.bdd")" = "$before" ] || fail "an up-to-date file was replaced"
  grep -q "Up-to-date: $target/zarvik.bdd" "$tmp/install.log" || fail "no up-to-date message: $(cat "$tmp/install.log")"
  grep -q "$target/zarvik.bdd" "$tmp/build/install_manifest.txt" || fail "an up-to-date file fell out of the manifest"
else
  fail "the repeated install failed"
fi

case_name="a built optional file is installed"
echo "help" >"$tmp/files/zarvik.chm"
install_tree || fail "the install failed"
[ "$(cat "$target/zarvik.chm" 2>/dev/null)" = help ] || fail "zarvik.chm was not installed"

case_name="DESTDIR puts everything under it"
if DESTDIR=$tmp/stage cmake --install "$tmp/build" --prefix /usr >"$tmp/install.log" 2>&1; then
  for f in zarvik zarvik.bdd zarvik.chm; do
    [ -f "$tmp/stage/usr/lib/zarvik/$f" ] || fail "$f is not under DESTDIR"
  done
else
  fail "the install into DESTDIR failed: $(cat "$tmp/install.log")"
fi

case_name="a missing required file fails the install"
rm "$tmp/files/zarvik.bdd"
if install_tree; then
  fail "the install succeeded without zarvik.bdd"
fi
[ "$(cat "$target/zarvik.bdd")" = "second dictionary" ] || fail "the installed dictionary was touched"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all cases passed"
