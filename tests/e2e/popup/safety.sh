#!/usr/bin/env bash
# A capture is safe, end to end: it leaves what the user had on the clipboard whole (pictures,
# rich text, large texts), types nothing into a terminal, ignores the clicks of an excluded
# program, and its strip stays on the screen and lets clicks through. Real programs: a Tk text
# window, xterm, xclip. Run it through tests/with-x.sh --wm:
#   safety.sh ZARVIK_EXECUTABLE SAMPLE_BDD
set -u
source "$(dirname "$0")/common.sh"

read -r screen_w screen_h < <(timeout 5 xwininfo -root | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w, h}')

# The shell line of the terminal: every byte typed into it lands in this file at once.
term_log=$zp_tmp/typed
term_pid=""
# A terminal showing a line of words; the "fixed" font gives 6 x 13 pixel cells, 2 pixels of
# border.
start_terminal() {
  : >"$term_log"
  xterm -fn fixed -geometry 60x4+700+150 -title Term \
    -e sh -c 'printf "Books on the red table cat\n"; stty -icanon -echo; exec cat >"$1"' sh "$term_log" &
  term_pid=$!
  zx_track "$term_pid"
  TERM_WIN=$(timeout 10 xdotool search --sync --name '^Term$' | head -1)
  [ -n "$TERM_WIN" ]
}
# term_word_at COLUMN: the screen point of that character cell on the first line.
term_word_at() {
  local x y
  read -r x y < <(zp_geometry "$TERM_WIN")
  echo "$((x + 2 + $1 * 6 + 3)) $((y + 2 + 6))"
}
expect_nothing_typed() {
  sleep 0.3
  if [ -s "$term_log" ]; then
    zp_fail "the terminal received keystrokes: [$(od -c "$term_log" | head -2 | tr -s ' ')]"
  fi
}

double_click() {
  read -r PX PY < <(zp_word_at "$1")
  zx_double_click "$PX" "$PY"
}
expect_user_text() {
  zx_wait_for 5 -- test "$(zx_clipboard_get)" = "$ZP_USER_TEXT" ||
    zp_fail "the user's clipboard text is not back: it holds [$(zx_clipboard_get | head -c 80)]"
}
# Parks a strip left on the screen by the case before and lets the double-click time run out.
settle() {
  zx_wait_for 6 -- zp_strip_parked
  sleep "$ZP_GESTURE_GAP"
}
strip_box() {
  local x y
  read -r x y < <(zp_geometry "$ZP_STRIP")
  echo "$x $y $(zx_wininfo "$ZP_STRIP" | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w, h}')"
}

zp_program_folder
zp_word_window "Books on the red table, cat xyzzy" || exit 1
start_terminal || { echo "FAIL: xterm showed no window named 'Term' within 10 s"; exit 1; }

# ---------------------------------------------------------------- an excluded program's clicks
zp_start_zarvik "ShowPanel=0" 'Apps="xterm;"' || exit 1
zp_case "clicks in an excluded program are not played back in another one"
# excluded_clicks: a double-click and a click on a word in the terminal, which is excluded.
excluded_clicks() {
  zx_activate "$TERM_WIN"
  read -r TX TY < <(term_word_at 19)
  zx_double_click "$TX" "$TY"
  sleep 0.3
  xdotool click 1
  sleep "$ZP_GESTURE_GAP"
}
# Straight on to a double-click on a word of the other program: that one word is translated,
# and the user's clipboard is theirs again afterwards.
excluded_clicks
double_click red
zp_expect_strip "red - красный  " $((PX + 16)) "$PY"
expect_user_text
zp_stays 1 -- test "$(zx_clipboard_get)" = "$ZP_USER_TEXT" ||
  zp_fail "the clipboard changed after the capture: [$(zx_clipboard_get)]"
settle
# Back to the other program without a click, then one click on a word: no capture at all.
excluded_clicks
zx_activate "$ZP_WISH"
read -r PX PY < <(zp_word_at cat)
zx_move_and "$PX" "$PY" click 1
zp_stays_parked 1.5 || zp_fail "a capture ran without a double-click: [$(xdotool getwindowname "$ZP_STRIP")]"
zp_expect_eq "the clipboard" "$ZP_USER_TEXT" "$(zx_clipboard_get)"
zp_end_case

# ---------------------------------------------------------------- the terminal
zp_start_zarvik "ShowPanel=0" || exit 1
zp_case "a double-click in xterm is translated, and nothing is typed into it"
zx_activate "$TERM_WIN"
read -r TX TY < <(term_word_at 19)
zx_double_click "$TX" "$TY"
zp_expect_strip "table - стол; таблица  " $((TX + 16)) "$TY" && zx_screenshot "popup-xterm"
expect_nothing_typed
expect_user_text
zp_end_case

zp_case "a double-click on blank space in xterm shows nothing, not the last word again"
settle
read -r TX TY < <(term_word_at 10)
# The third line of the terminal is empty: xterm selects nothing there, and PRIMARY still
# holds "table" from the case before.
zx_double_click "$TX" "$((TY + 2 * 13))"
zp_stays_parked 1.5 || zp_fail "a strip after a double-click on blank space: [$(xdotool getwindowname "$ZP_STRIP")]"
expect_nothing_typed
expect_user_text
zp_end_case

# ---------------------------------------------------------------- the strip lets clicks through
zp_case "a double-click on the next word while the strip is up is translated"
settle
zx_activate "$ZP_WISH"
double_click red
if zp_expect_strip "red - красный  " $((PX + 16)) "$PY"; then
  read -r sx sy sw sh < <(strip_box)
  read -r NX NY < <(zp_word_at table)
  # The next word lies under the strip: this is the case the strip used to swallow.
  if [ "$NX" -lt "$sx" ] || [ "$NX" -ge $((sx + sw)) ] || [ "$NY" -lt "$sy" ] || [ "$NY" -ge $((sy + sh)) ]; then
    zp_fail "the next word ($NX $NY) is not under the strip ($sx $sy ${sw}x$sh): the case proves nothing"
  fi
  # Past the double-click time, so the two double-clicks do not run together as a triple
  # click, and still well inside the strip's three seconds.
  sleep 0.6
  zp_strip_shown || zp_fail "the strip went before the second double-click"
  zx_double_click "$NX" "$NY"
  zp_expect_strip "table - стол; таблица  " $((NX + 16)) "$NY"
fi
expect_user_text
zp_end_case

# ---------------------------------------------------------------- the word already on the clipboard
zp_case "a double-click on the word already on the clipboard is translated"
settle
read -r PX PY < <(zp_word_at cat)
pointer_to 200 600
zx_clipboard_set "cat"
zp_expect_strip "cat - кошка; кот  " 216 600
settle
double_click cat
zp_expect_strip "cat - кошка; кот  " $((PX + 16)) "$PY"
zp_expect_eq "the clipboard" "cat" "$(zx_clipboard_get)"
zp_end_case

# ---------------------------------------------------------------- what the clipboard held
zp_case "a picture on the clipboard survives a capture"
settle
convert -size 7x5 xc:red "$zp_tmp/red.png"
xclip -selection clipboard -t image/png -i "$zp_tmp/red.png"
sleep 0.3
double_click table
zp_expect_strip "table - стол; таблица  " $((PX + 16)) "$PY"
sleep 0.3
timeout 5 xclip -o -selection clipboard -t image/png >"$zp_tmp/back.png" 2>/dev/null
cmp -s "$zp_tmp/red.png" "$zp_tmp/back.png" ||
  zp_fail "the picture did not come back: $(stat -c %s "$zp_tmp/back.png") bytes of $(stat -c %s "$zp_tmp/red.png")"
zp_end_case

zp_case "rich text on the clipboard survives a capture"
settle
html='<b>Жирный</b> text'
wish "$ZP_DIR/richclip.tcl" "$html" "Жирный text" >"$zp_tmp/rich.log" 2>&1 &
rich_pid=$!
zx_track "$rich_pid"
zx_wait_for 5 -- grep -qx ready "$zp_tmp/rich.log" || zp_fail "the rich-text window did not start within 5 s"
double_click cat
zp_expect_strip "cat - кошка; кот  " $((PX + 16)) "$PY"
sleep 0.3
zp_expect_eq "the HTML" "$html" "$(timeout 5 xclip -o -selection clipboard -t text/html 2>/dev/null)"
zp_expect_eq "the plain text" "Жирный text" "$(zx_clipboard_get)"
zx_end "$rich_pid"
zp_end_case

zp_case "a 20 MB Cyrillic text comes back byte for byte"
settle
yes 'Съешь же ещё этих мягких французских булок, да выпей чаю.' | head -c 20000000 >"$zp_tmp/big.txt"
xclip -selection clipboard -i "$zp_tmp/big.txt"
sleep 1
double_click red
zp_expect_strip "red - красный  " $((PX + 16)) "$PY"
sleep 0.3
timeout 20 xclip -o -selection clipboard >"$zp_tmp/big-back.txt" 2>/dev/null
cmp -s "$zp_tmp/big.txt" "$zp_tmp/big-back.txt" ||
  zp_fail "the text came back as $(stat -c %s "$zp_tmp/big-back.txt") bytes of $(stat -c %s "$zp_tmp/big.txt"), or changed"
zp_end_case

# ---------------------------------------------------------------- the strip stays on the screen
for corner in left right; do
  zp_case "a double-click at the bottom-$corner corner shows the whole strip"
  settle
  if [ "$corner" = left ]; then word=Books; wx=0; else word=xyzzy; wx=$((screen_w - 400)); fi
  # The line of words 6 pixels above the bottom edge.
  # The window manager moves the frame: its title bar lies above the window's own top.
  wy=$((screen_h - 6 - ZP_WORD_Y[$word]))
  xdotool windowmove "$ZP_WISH" "$wx" "$wy" 2>/dev/null
  sleep 0.5
  read -r _ gy < <(zp_geometry "$ZP_WISH")
  xdotool windowmove "$ZP_WISH" "$wx" $((wy - (gy - wy))) 2>/dev/null
  sleep 0.5
  zx_activate "$ZP_WISH"
  double_click "$word"
  [ $((PY + 20)) -gt "$screen_h" ] || zp_fail "the word is at $PX $PY, not at the bottom edge: the case proves nothing"
  if zp_wait_shown 5; then
    read -r sx sy sw sh < <(strip_box)
    if [ "$sx" -lt 0 ] || [ $((sx + sw)) -gt "$screen_w" ] || [ "$sy" -lt 0 ] || [ $((sy + sh)) -gt "$screen_h" ]; then
      zp_fail "the strip ($sx $sy ${sw}x$sh) is not whole on the ${screen_w}x$screen_h screen (pointer $PX $PY)"
    fi
    zp_expect_eq "the strip's bottom edge" "$screen_h" "$((sy + sh))"
    zx_screenshot "popup-bottom-$corner"
  else
    zp_fail "no strip on the screen within 5 s"
  fi
  zp_end_case
done

zx_end "$term_pid"
zp_summary
