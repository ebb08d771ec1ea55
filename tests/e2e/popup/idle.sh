#!/usr/bin/env bash
# Pop-up translation after the program has been left alone: its polls sleep while nothing
# happens, and the first press must wake them without being lost, however short it is. Run it
# through tests/with-x.sh --wm:
#   idle.sh ZARVIK_EXECUTABLE SAMPLE_BDD
set -u
source "$(dirname "$0")/common.sh"

# Longer than every timeout of the program: the double-click time, the strip's three seconds,
# a capture's wait for its copy, the panel's seven seconds of auto-hide.
LONG_IDLE=8

# quick_click X Y [CLICKS]: presses and releases the left button at X,Y in one xdotool run, so
# each press lasts well under a millisecond (xdotool's own click holds the button a while);
# the clicks of a double-click are 80 ms apart.
quick_click() {
  local steps=() i
  for ((i = 0; i < ${3:-1}; i++)); do
    [ "$i" -gt 0 ] && steps+=(sleep 0.08)
    steps+=(mousedown 1 mouseup 1)
  done
  zx_move_and "$1" "$2" "${steps[@]}"
}

zp_program_folder
zp_word_window "Books on the red table, cat xyzzy" || exit 1
zp_start_zarvik "ShowPanel=1" || exit 1

zp_case "a double-click of sub-millisecond presses after ${LONG_IDLE} s of nothing"
sleep "$LONG_IDLE"
read -r PX PY < <(zp_word_at cat)
quick_click "$PX" "$PY" 2
zp_expect_strip "cat - кошка; кот  " $((PX + 16)) "$PY"
zp_end_case

zp_case "a copy after ${LONG_IDLE} s of nothing is shown"
zx_wait_for 5 -- zp_strip_parked
sleep "$LONG_IDLE"
read -r PX PY < <(zp_word_at table)
pointer_to "$PX" "$PY"
zx_clipboard_set "dog"
zp_expect_strip "dog - собака  " $((PX + 16)) "$PY"
zp_end_case

zp_case "a single sub-millisecond press takes the strip away once the watcher sleeps"
# The strip of the case before stays three seconds; the watcher sleeps long before that.
sleep 1.5
if zp_strip_shown; then
  read -r wx wy < <(zp_geometry "$ZP_WISH")
  quick_click $((wx + 360)) $((wy + 100))
  zx_wait_for 1 -- zp_strip_parked || zp_fail "the strip is still on the screen 1 s after the press"
  gone_after=$(zp_seconds_since "$ZP_SHOWN_AT")
  awk -v t="$gone_after" 'BEGIN {exit !(t >= 2.9)}' && zp_fail "the strip went ${gone_after} s after it came: by its countdown"
else
  zp_fail "no strip on the screen to take away"
fi
zp_end_case

zp_summary
