#!/usr/bin/env bash
# The journal of looked-up words, end to end: a double-clicked word and a copied word are
# recorded by the running program, «Журнал...» in the tray menu opens the journal window, a
# second copy of the program exports the journal while the first runs, and with the option
# off nothing more is written. Run it through tests/with-x.sh --tray:
#   journal.sh ZARVIK_EXECUTABLE SAMPLE_BDD
set -u
source "$(dirname "$0")/common.sh"

journal=$XDG_DATA_HOME/Zarvik5/journal.sqlite
export_file=$zp_tmp/words.csv

settle() {
  if ! zp_strip_parked; then
    local wx wy
    read -r wx wy < <(zp_geometry "$ZP_WISH")
    zx_move_and $((wx + 360)) $((wy + 100)) click 1
    zx_wait_for 5 -- zp_strip_parked
  fi
  sleep "$ZP_GESTURE_GAP"
}
double_click() {
  read -r PX PY < <(zp_word_at "$1")
  zx_double_click "$PX" "$PY"
}
# export_rows: the journal as the command line exports it, one "word|count|source-free line"
# per note, read back by Python's csv module as a flash-card program would.
export_rows() {
  rm -f "$export_file"
  "$zp_tmp/program/zarvik" --export-journal "$export_file" 2>>"$zp_tmp/export.log" || return 1
  python3 - "$export_file" <<'PY'
import csv, sys
with open(sys.argv[1], encoding="utf-8", newline="") as f:
    for row in sorted(csv.reader(f, strict=True)):
        print("|".join([row[0], row[1], row[2], row[3], str(len(row))]))
PY
}
has_rows() { [ "$(export_rows)" = "$1" ]; }
journal_window() { timeout 5 xdotool search --onlyvisible --name '^Журнал слов$' 2>/dev/null | head -1; }
journal_window_shown() { [ -n "$(journal_window)" ]; }

zp_program_folder
zp_word_window "Books on the red table, cat xyzzy" || exit 1

# ---------------------------------------------------------------- recording on (the default)
zp_start_zarvik "ShowPanel=0" || exit 1

zp_case "a double-clicked word, a copied word and a miss"
settle
double_click cat
zp_expect_strip "cat - кошка; кот  " $((PX + 16)) "$PY"
settle
double_click xyzzy
zp_expect_strip "xyzzy - ??? " $((PX + 16)) "$PY"
# The copy as clipboard.sh makes it: the strip gone by its countdown, hands off the mouse.
zx_wait_for 6 -- zp_strip_parked
xdotool mousemove --sync 600 500
zx_clipboard_set "Books"
zp_expect_strip "Book - книга; заказывать  " 616 500
expected="book||книга; заказывать|1|5
cat||кошка; кот|1|5"
if ! zx_wait_for 10 -- has_rows "$expected"; then
  zp_fail "the exported journal holds [$(export_rows)], expected [$expected]"
  sed 's/^/  /' "$zp_tmp/zarvik.log" "$zp_tmp/export.log"
fi
mode=$(stat -c %a "$journal" 2>/dev/null)
zp_expect_eq "the journal file's mode" 600 "$mode"
zp_expect_eq "the journal folder's mode" 700 "$(stat -c %a "$(dirname "$journal")")"
zp_end_case

zp_case "the same word again after the repeat time counts twice"
settle
sleep 5
double_click cat
zp_expect_strip "cat - кошка; кот  " $((PX + 16)) "$PY"
expected="book||книга; заказывать|1|5
cat||кошка; кот|2|5"
zx_wait_for 10 -- has_rows "$expected" || zp_fail "the exported journal holds [$(export_rows)], expected [$expected]"
zp_end_case

zp_case "«Журнал...» in the tray menu opens the journal window"
tray_icon_shown() { [ -n "$(tray_icon)" ]; }
if zx_wait_for 10 -- tray_icon_shown; then
  read -r x y w h < <(tray_icon)
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 3
  sleep 0.8
  # Словарь..., Настройки..., Справка, Журнал...
  xdotool key --delay 150 Down Down Down Down Return
  if zx_wait_for 10 -- journal_window_shown; then
    zx_screenshot journal-window
  else
    zp_fail "no window «Журнал слов» within 10 s of the menu item"
  fi
else
  zp_fail "no tray icon"
fi
zp_end_case

# ---------------------------------------------------------------- recording off
zp_start_zarvik "ShowPanel=0" "KeepJournal=0" || exit 1
zp_case "with «Вести журнал слов» off nothing is written"
settle
double_click table
zp_expect_strip "table - стол; таблица  " $((PX + 16)) "$PY"
sleep 1
zp_expect_eq "the journal with the option off" "$(printf '%s' "$expected")" "$(export_rows)"
zp_end_case

zp_summary
