#!/usr/bin/env bash
# The dictionary rewritten in place while Zarvik runs: `cp` of a smaller and then of a larger
# dictionary over "zarvik.bdd" (same file, new bytes, as an install into the running program's
# folder may do). The program goes on translating, from the new file, and never dies. Run it
# through tests/with-x.sh --wm:
#   rewrite.sh ZARVIK_EXECUTABLE SAMPLE_BDD ZARVIK_IMPORT
set -u
source "$(dirname "$0")/common.sh"
importer=$3

# dictionary NAME: a dictionary file made by the importer from the tab-separated rows on input.
dictionary() {
  cat >"$zp_tmp/$1.tsv"
  "$importer" "$zp_tmp/$1.tsv" "$zp_tmp/$1.bdd" >/dev/null 2>&1 || { echo "FAIL: cannot import $1"; exit 1; }
}

printf 'cat\tкот (малый словарь)\ndog\tпёс\n' | dictionary small
{ printf 'cat\tкошка (большой словарь)\n'; seq 0 19999 | awk '{printf "w%05d\tслово %d\n", $1, $1}'; } | dictionary large

# translated WORD LINE: WORD copied with the pointer at 500,400 comes up as LINE (the strip
# shows the line as the lookup made it, with its trailing blanks). A copy of the text already
# on the clipboard is no change, so successive calls copy different words.
translated() {
  zx_clipboard_set "$1"
  zp_expect_strip "$2" 516 400
}

# copy_over FILE: FILE's bytes written over zarvik.bdd in place; fails the case if the file
# got a new inode (the test would then not test what it says).
copy_over() {
  local bdd=$zp_tmp/program/zarvik.bdd before
  before=$(stat -c %i "$bdd")
  cp "$1" "$bdd"
  zp_expect_eq "the dictionary's inode" "$before" "$(stat -c %i "$bdd")"
}

alive() {
  kill -0 "$zp_zarvik_pid" 2>/dev/null || zp_fail "zarvik is gone: $(tail -5 "$zp_tmp/zarvik.log")"
}

zp_program_folder
zp_start_zarvik "ShowPanel=0" || exit 1
# Once: a move to where the pointer already is would wait for a motion that never comes.
pointer_to 500 400

zp_case "translates from the dictionary it started with"
translated "cat" "cat - кошка; кот  "
zp_end_case

zp_case "a smaller dictionary copied over the file in place"
copy_over "$zp_tmp/small.bdd"
translated "dog" "dog - пёс  "
translated "cat" "cat - кот (малый словарь)  "
alive
zp_end_case

zp_case "a larger dictionary copied over the file in place"
copy_over "$zp_tmp/large.bdd"
translated "w19999" "w19999 - слово 19999  "
translated "cat" "cat - кошка (большой словарь)  "
alive
zx_screenshot "popup-rewrite-large"
zp_end_case

zp_case "back to the smaller one, then a lookup of a word only the larger one had"
copy_over "$zp_tmp/small.bdd"
translated "w10000" "w10000 - ??? "
translated "cat" "cat - кот (малый словарь)  "
alive
zp_end_case

zp_summary
