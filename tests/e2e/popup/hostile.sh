#!/usr/bin/env bash
# Dictionary text that is hostile to a window: a 20 MB translation, and direction controls
# that would reverse the strip. The program stays up, the strip's title (which the window
# server keeps) stays short, and the next word is translated as usual. Run it through
# tests/with-x.sh --wm:
#   hostile.sh ZARVIK_EXECUTABLE SAMPLE_BDD [COPY_KEYS_WATCH]
set -u
keys_watch=${3:-}
set -- "$1" "$2"
source "$(dirname "$0")/common.sh"

zp_program_folder
# A dictionary file of another maker: EngRus(Word, Trans) and nothing else of ours.
bdd=$zp_tmp/program/zarvik.bdd
rm -f "$bdd"
sqlite3 "$bdd" "CREATE TABLE EngRus (Word TEXT, Trans TEXT);
  INSERT INTO EngRus VALUES ('cat', char(0x202E) || 'кошка; кот');
  INSERT INTO EngRus VALUES ('big', replace(hex(zeroblob(10000000)), '00', 'ж'));
  CREATE INDEX EngRus_Word ON EngRus (Word);" || exit 1
zp_start_zarvik "ShowPanel=0" || exit 1

# copy_at X Y TEXT: the pointer to X,Y, then TEXT onto the clipboard.
copy_at() {
  xdotool mousemove --sync "$1" "$2"
  zx_clipboard_set "$3"
}

zp_case "a 20 MB translation shows its start, and the program stays up"
copy_at 100 300 "big"
if zp_wait_shown 10; then
  title=$(xdotool getwindowname "$ZP_STRIP")
  [ "${title:0:7}" = "big - ж" ] || zp_fail "the strip shows [${title:0:40}]"
  [ "${#title}" -le 121 ] || zp_fail "the strip's title holds ${#title} characters"
  zx_screenshot "popup-hostile-big"
else
  zp_fail "no strip on the screen within 10 s"
fi
kill -0 "$zp_zarvik_pid" 2>/dev/null || zp_fail "the program ended: $(tail -3 "$zp_tmp/zarvik.log")"
zp_end_case

zp_case "a right-to-left override in a translation reverses nothing"
zx_wait_for 6 -- zp_strip_parked
copy_at 300 400 "cat"
zp_expect_strip "cat - кошка; кот  " 316 400 && zx_screenshot "popup-hostile-override"
zp_end_case

if [ -n "$keys_watch" ]; then
  # A dictionary that makes every statement run out its time: a view over an endless query.
  zp_stop_zarvik
  rm -f "$bdd"
  sqlite3 "$bdd" "CREATE VIEW EngRus AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n)
    SELECT 'w' || x AS Word, 'т' AS Trans FROM n WHERE x < 0;" || exit 1
  zp_word_window "Books on the red table, cat xyzzy" || exit 1
  zp_start_zarvik "ShowPanel=0" || exit 1

  zp_case "a slow dictionary does not hold the copy keys down"
  "$keys_watch" 10 >"$zp_tmp/keys.log" 2>&1 &
  watch_pid=$!
  zx_track "$watch_pid"
  zx_wait_for 5 -- grep -qx ready "$zp_tmp/keys.log"
  read -r PX PY < <(zp_word_at "xyzzy")
  zx_double_click "$PX" "$PY"
  wait "$watch_pid"
  held=$(sed -n 's/^held \([0-9]*\).*/\1/p' "$zp_tmp/keys.log")
  if [ -z "$held" ]; then
    zp_fail "the keys watch says: $(tr '\n' ' ' <"$zp_tmp/keys.log")"
  else
    echo "the copy keys were down $held ms"
  fi
  if [ -n "$held" ] && [ "$held" -gt 100 ]; then
    zp_fail "Ctrl and Insert were held $held ms"
  fi
  # The lookup then runs out its time and shows the miss; the user's copy comes back.
  zp_expect_strip "xyzzy - ??? " $((PX + 16)) "$PY"
  zx_wait_for 5 -- test "$(zx_clipboard_get)" = "$ZP_USER_TEXT" ||
    zp_fail "the user's clipboard holds [$(zx_clipboard_get)]"
  zp_end_case
fi

zp_summary
