#!/usr/bin/env bash
# The dictionary panel on a real X server with a window manager, driven like a user would:
# xdotool clicks, drags and types, the window's geometry is read back with xwininfo.
#
# Usage (inside tests/with-x.sh --wm): panel-e2e.sh GROUP ZARVIK SAMPLE_BDD NULL_WAV SAMPLE_TSV
#   GROUP      flow | placement | autohide | article (one ctest test each, so they run side by
#              side)
#   ZARVIK     the built executable; it is copied into a temporary program folder
#   SAMPLE_BDD the sample dictionary, put there as zarvik.bdd
#   SAMPLE_TSV the text the sample was built from: the expected list lengths come from it
# Prints one line per case and "N passed, N failed"; exits non-zero when a case failed.
# Screenshots of the open panel and of every failure go to $ZARVIK_ARTIFACTS.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../lib/x11.sh
source "$here/../lib/x11.sh"

if [ $# -ne 5 ]; then
  echo "usage: panel-e2e.sh GROUP ZARVIK SAMPLE_BDD NULL_WAV SAMPLE_TSV" >&2
  exit 2
fi
group=$1 zarvik_exe=$2 sample_bdd=$3 null_wav=$4 sample_tsv=$5
export ZARVIK_ARTIFACTS=${ZARVIK_ARTIFACTS:-$(cd "$here/../../.." && pwd)/build/artifacts}
mkdir -p "$ZARVIK_ARTIFACTS"

# --- the screen (1280 x 1024, from with-x.sh) and the panel's places on it, in pixels ---
SCREEN_W=1280
SCREEN_H=1024
CLOSED_X=$((SCREEN_W - 17))  # 250 twips of the panel stay on the screen
BIG_CLOSED_X=$((SCREEN_W - 90)) # 1350 twips with bigpanel
OPEN_X=$((SCREEN_W - 383))   # the whole panel
MID_Y=$((SCREEN_H / 2))
STRIP_H=25                   # 380 twips: the strip alone

# Lines the panel lists for PREFIX: the sample's headwords that begin with it, at most ten,
# or the single no-match line.
lines_for() {
  awk -F'\t' -v p="$1" '
    /^#/ || NF < 2 { next }
    index(tolower($1), p) == 1 { n++ }
    END { if (n == 0) n = 1; if (n > 10) n = 10; print n }' "$sample_tsv"
}
# Panel height in pixels for N lines: list 255 + 208 (N - 1) twips plus 515 for the strip.
height_for_lines() {
  awk -v n="$1" 'BEGIN { t = 255 + 208 * (n - 1) + 515; print int(t / 15 + 0.5) }'
}
height_for() { height_for_lines "$(lines_for "$1")"; }
# Lines for a Russian PREFIX that no headword begins with: the sample's Russian words (its
# reverse index) that begin with it, at most ten, or the single no-match line.
russian_lines_for() {
  sqlite3 "$sample_bdd" "SELECT max(1, min(10, count(*))) FROM RusEng WHERE Key >= '$1' AND Key < '$1' || char(1114111)"
}

# --- bookkeeping ---
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-panel-e2e.XXXXXX")
ZX_CASE_PREFIX=panel
ZX_CASE_LOG=$work/zarvik.log
zarvik_pid=""
keylog_pid=""

# Whatever the way out, every process the script started is ended within a bounded time.
cleanup() {
  zx_end_all
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- the other program: a text window that logs the keys it gets ---
keylog_file="$work/keys.log"
keylog_window=""

start_text_window() {
  wish "$here/keylog.tcl" "Zarvik test editor" >>"$keylog_file" 2>&1 &
  keylog_pid=$!
  zx_track "$keylog_pid"
  zx_wait_for 10 -- grep -qx ready "$keylog_file" || { echo "the text window said nothing within 10 s: $(head -c 300 "$keylog_file")"; return 1; }
  keylog_window=$(timeout 10 xdotool search --sync --name '^Zarvik test editor$' | head -1)
  [ -n "$keylog_window" ] || { echo "no window named 'Zarvik test editor' within 10 s"; return 1; }
  zx_activate "$keylog_window"
}
# Keys the text window got since the mark, as one line ("q w" ...).
keys_mark() { wc -l <"$keylog_file"; }
keys_since() { tail -n +"$(($1 + 1))" "$keylog_file" | sed -n 's/^key //p' | tr '\n' ' ' | sed 's/ $//'; }

# --- the program ---
program_dir="$work/program"
config_dir="$work/config"
ini="$config_dir/Zarvik5/Zarvik5.ini"
panel=""

make_program_folder() {
  mkdir -p "$program_dir/skins" "$config_dir/Zarvik5"
  cp "$zarvik_exe" "$program_dir/zarvik"
  cp "$sample_bdd" "$program_dir/zarvik.bdd"
  cp "$null_wav" "$program_dir/null.wav"
}

# write_ini KEY=VALUE ...: the settings the next start reads, from scratch.
write_ini() {
  {
    echo "[Options]"
    printf '%s\n' "$@"
  } >"$ini"
}
ini_value() {
  sed -n "s/^$1=//p" "$ini" | tail -1
}


panel_or_gone() { find_panel || zarvik_gone; }

start_zarvik() {
  mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
  XDG_CONFIG_HOME="$config_dir" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" ZARVIK_OFFLINE=1 "$program_dir/zarvik" >"$work/zarvik.log" 2>&1 &
  zarvik_pid=$!
  zx_track "$zarvik_pid"
  panel=""
  gone_note=""
  zx_wait_for 10 -- panel_or_gone
  if [ -z "$panel" ]; then
    zarvik_gone || gone_note="zarvik still runs 10 s after its start"
    fail "no panel window (383 px wide) appeared: $gone_note"
    return 1
  fi
}

stop_zarvik() {
  zx_end "$zarvik_pid"
  zarvik_pid=""
}

# "X Y WIDTH HEIGHT" of the panel on the screen.
panel_geometry() {
  # Without a window id xwininfo would wait for the user to pick one with the mouse.
  [ -n "$panel" ] || { echo "no panel"; return 1; }
  zx_wininfo "$panel" | awk '
    /Absolute upper-left X:/ { x = $NF }
    /Absolute upper-left Y:/ { y = $NF }
    /^  Width:/ { w = $NF }
    /^  Height:/ { h = $NF }
    END { print x, y, w, h }'
}

# geometry_is X Y H: true when the panel stands there; "-" matches anything.
geometry_is() {
  local x y w h
  read -r x y w h < <(panel_geometry)
  [ "$1" = - ] || [ "$x" = "$1" ] || return 1
  [ "$2" = - ] || [ "$y" = "$2" ] || return 1
  [ "$3" = - ] || [ "$h" = "$3" ] || return 1
  [ "$w" = 383 ]
}

# expect_geometry WHAT X Y H [SECONDS]: waits for the slide or resize to end there.
expect_geometry() {
  local what=$1 x=$2 y=$3 h=$4 seconds=${5:-10}
  if [ -z "$panel" ] || zarvik_gone; then
    fail "$what: there is no panel to look at (${gone_note:-zarvik did not start})"
    return 1
  fi
  if ! zx_wait_for "$seconds" -- geometry_is "$x" "$y" "$h"; then
    fail "$what: expected x=$x y=$y height=$h (width 383), saw 'x y width height' = '$(panel_geometry)' after ${seconds} s"
    return 1
  fi
}

# click_panel DX DY: a click on the panel, DX, DY pixels from its corner where it stands now.
click_panel() {
  local x y w h
  read -r x y w h < <(panel_geometry)
  click_at "$((x + $1))" "$((y + $2))"
}
# Two clicks of a test, wherever they land, must never make a double-click (400 ms on X):
# the program would take it for a word capture and send Ctrl+Insert to the focused window,
# and keys typed meanwhile would arrive with Control held.
last_click=0
apart_from_last_click() {
  local wait
  wait=$(awk -v last="$last_click" -v now="$EPOCHREALTIME" 'BEGIN { w = last + 1.0 - now; print (w > 0 ? w : 0) }')
  sleep "$wait"
}
click_at() {
  pointer_to "$1" "$2"
  apart_from_last_click
  xdotool click 1
  last_click=$EPOCHREALTIME
}
click_handle() {
  # Inside the 17 x 27 handle; xdotool's click is a press and release well under 100 ms.
  click_panel 8 12
}
click_strip() {
  # The drag area between the handle and the input line.
  click_panel 50 12
}
# A point on the text window, away from the panel.
click_text_window() {
  click_at 300 160
}

# Where the keyboard is, for failure messages.
focus_report() {
  local focus
  focus=$(xdotool getwindowfocus -f 2>/dev/null)
  echo "keyboard focus on window ${focus:-none} (panel $panel, text window $keylog_window)"
}

# Typed text travels through the X server to whichever window has the keyboard.
type_text() {
  xdotool type --delay 40 -- "$1"
}

# xdotool types a letter the keyboard map lacks by binding a spare keycode to it for the moment
# of the press; a program slow to read the changed map (a sanitizer build, a loaded machine)
# then loses letters ("кош" arrived as "кш"). Bound beforehand, with time for the program to
# read the map, the letters are there when the keys come.
bind_letters() {
  local code=200 args=() sym
  for sym in $(python3 -c 'import sys; print(" ".join("U%04X" % ord(c) for c in sorted(set(sys.argv[1]))))' "$1"); do
    args+=(-e "keycode $code = $sym")
    code=$((code + 1))
  done
  xmodmap "${args[@]}"
  settle
}

# Nothing of what the text window may still get in flight is lost: its key events were
# queued before the panel's reply that the test waited for, but let them arrive.
settle() { sleep 0.5; }

# === group flow: open, search, close; hide5sec off so that slow runs never see an auto-hide ===

case_closed_panel_at_start() {
  expect_geometry "closed panel at start" "$CLOSED_X" "$MID_Y" "$STRIP_H"
}

case_handle_click_opens() {
  click_handle
  expect_geometry "open panel after a click on the handle" "$OPEN_X" "$MID_Y" "$STRIP_H"
}

case_typing_lists_in_panel() {
  local mark
  mark=$(keys_mark)
  # No headword begins with x: the single no-match line.
  type_text "x"
  expect_geometry "after typing 'x' ($(lines_for x) line)" "$OPEN_X" "$MID_Y" "$(height_for x)"
  # Deleting the last character: the panel shrinks back to its strip.
  xdotool key BackSpace
  expect_geometry "after deleting the input" "$OPEN_X" "$MID_Y" "$STRIP_H"
  type_text "ca"
  expect_geometry "after typing 'ca' ($(lines_for ca) lines)" "$OPEN_X" "$MID_Y" "$(height_for ca)" &&
    { zx_screenshot "panel-open-ca"; timeout 10 import -window "$panel" "$ZARVIK_ARTIFACTS/panel-open-ca-window.png"; }
  type_text "t"
  expect_geometry "after typing 'cat' ($(lines_for cat) lines)" "$OPEN_X" "$MID_Y" "$(height_for cat)"
  settle
  local got
  got=$(keys_since "$mark")
  [ -z "$got" ] || fail "the text window received keys meant for the panel: $got"
}

case_refused_characters() {
  # Back to an empty input, then a bar and a double quote in front of "cat": both are refused,
  # so the list is that of "cat" and not the no-match line of '|"cat'.
  xdotool key ctrl+a BackSpace
  expect_geometry "emptied input" "$OPEN_X" "$MID_Y" "$STRIP_H"
  type_text '|"cat'
  expect_geometry "after typing '|\"cat' (refused characters dropped)" "$OPEN_X" "$MID_Y" "$(height_for cat)"
  zx_screenshot "panel-open-cat"
}

# Last of its group: typing Cyrillic makes xdotool remap a spare key for a moment.
case_russian_lists_in_panel() {
  local lines
  lines=$(russian_lines_for "кош")
  [ "$lines" -ge 2 ] || fail "the sample holds $lines Russian words for 'кош'; the case needs two or more"
  click_handle
  expect_geometry "open again" "$OPEN_X" "$MID_Y" "$STRIP_H"
  bind_letters "кош"
  # xdotool reads the Cyrillic text in the locale's encoding.
  LC_ALL=C.UTF-8 type_text "кош"
  expect_geometry "after typing 'кош' ($lines lines)" "$OPEN_X" "$MID_Y" "$(height_for_lines "$lines")" &&
    import -window "$panel" "$ZARVIK_ARTIFACTS/panel-open-kosh-window.png"
  xdotool key Escape
  expect_geometry "closed after Escape" "$CLOSED_X" "$MID_Y" "$STRIP_H"
}

case_escape_closes_and_returns_keyboard() {
  xdotool key Escape
  expect_geometry "closed after Escape" "$CLOSED_X" "$MID_Y" "$STRIP_H"
  local mark
  mark=$(keys_mark)
  type_text "q"
  if ! zx_wait_for 5 -- sh -c "tail -n +$((mark + 1)) '$keylog_file' | grep -qx 'key q'"; then
    fail "after Escape, typing did not reach the text window (got: '$(keys_since "$mark")')"
  fi
  # And the panel, now closed, did not list anything.
  expect_geometry "closed panel untouched by typing" "$CLOSED_X" "$MID_Y" "$STRIP_H" 2
}

case_outside_click_closes() {
  click_handle
  expect_geometry "open again" "$OPEN_X" "$MID_Y" "$STRIP_H" || return
  type_text "ca"
  expect_geometry "listing 'ca'" "$OPEN_X" "$MID_Y" "$(height_for ca)"
  click_text_window
  expect_geometry "closed after a click on the text window" "$CLOSED_X" "$MID_Y" "$STRIP_H"
  local mark
  mark=$(keys_mark)
  type_text "w"
  zx_wait_for 5 -- sh -c "tail -n +$((mark + 1)) '$keylog_file' | grep -qx 'key w'" ||
    fail "after the outside click, typing did not reach the text window (got: '$(keys_since "$mark")')"
}

# held_click_at X Y SECONDS: a press held that long, the pointer still, then the release.
held_click_at() {
  pointer_to "$1" "$2"
  apart_from_last_click
  xdotool mousedown 1
  sleep "$3"
  xdotool mouseup 1
  last_click=$EPOCHREALTIME
}

# An unhurried click lasts longer than 0.1 s; held still, it is a click however long it lasts.
case_held_click_opens_and_closes() {
  local held x y w h
  for held in 0.15 0.3 0.6; do
    read -r x y w h < <(panel_geometry)
    held_click_at "$((x + 8))" "$((y + 12))" "$held"
    expect_geometry "open after a click on the handle held ${held} s" "$OPEN_X" "$MID_Y" "$STRIP_H" || return
    # Time for a slide to show, should the release have closed it again.
    sleep 0.5
    geometry_is "$OPEN_X" "$MID_Y" "$STRIP_H" || { fail "the panel did not stay open after the ${held} s click"; return; }
    read -r x y w h < <(panel_geometry)
    held_click_at "$((x + 50))" "$((y + 12))" "$held"
    expect_geometry "closed after a click on the strip held ${held} s" "$CLOSED_X" "$MID_Y" "$STRIP_H" || return
  done
}

case_strip_click_closes() {
  click_handle
  expect_geometry "open again" "$OPEN_X" "$MID_Y" "$STRIP_H" || return
  local mark
  mark=$(keys_mark)
  type_text "b"
  expect_geometry "listing 'b'" "$OPEN_X" "$MID_Y" "$(height_for b)" ||
    fail "$(focus_report); the text window got '$(keys_since "$mark")'"
  click_strip
  # The closing sequence empties the input, so the strip alone comes back.
  expect_geometry "closed after a click on the strip" "$CLOSED_X" "$MID_Y" "$STRIP_H"
}

group_flow() {
  make_program_folder
  write_ini ShowSplash=0 hide5sec=0
  if ! start_text_window; then
    echo "FAIL $group: the text window did not start"
    failed=$((failed + 1))
    return
  fi
  # Its start is a case of its own, so that the reason it failed is shown.
  run_case "$group/case_program_starts" start_zarvik
  [ -n "$panel" ] || return
  run_case "$group/case_closed_panel_at_start" case_closed_panel_at_start
  run_case "$group/case_handle_click_opens" case_handle_click_opens
  run_case "$group/case_typing_lists_in_panel" case_typing_lists_in_panel
  run_case "$group/case_refused_characters" case_refused_characters
  run_case "$group/case_escape_closes_and_returns_keyboard" case_escape_closes_and_returns_keyboard
  run_case "$group/case_outside_click_closes" case_outside_click_closes
  run_case "$group/case_strip_click_closes" case_strip_click_closes
  run_case "$group/case_held_click_opens_and_closes" case_held_click_opens_and_closes
  run_case "$group/case_russian_lists_in_panel" case_russian_lists_in_panel
}

# === group placement: dragging, the stored position, the large panel ===

case_drag_moves_and_stores() {
  stop_zarvik
  write_ini ShowSplash=0 hide5sec=0
  start_zarvik || return
  expect_geometry "closed panel before the drag" "$CLOSED_X" "$MID_Y" "$STRIP_H" || return
  local x=$((CLOSED_X + 8)) y=$((MID_Y + 8)) step
  pointer_to "$x" "$y"
  apart_from_last_click
  xdotool mousedown 1
  for step in 1 2 3 4 5 6 7 8; do
    pointer_to "$x" "$((y + 5 * step))"
    sleep 0.03
  done
  # Held well past 100 ms: a drag, not a click.
  sleep 0.3
  xdotool mouseup 1
  last_click=$EPOCHREALTIME
  expect_geometry "dragged 40 px down, still closed" "$CLOSED_X" "$((MID_Y + 40))" "$STRIP_H"
  local expected=$(((MID_Y + 40) * 15)) stored
  zx_wait_for 5 -- sh -c "grep -q '^PanelPos=' '$ini'"
  stored=$(ini_value PanelPos)
  awk -v s="$stored" -v e="$expected" 'BEGIN { exit !(s != "" && s + 0 == e + 0) }' ||
    fail "PanelPos after the drag: expected $expected, stored '$stored'"
  # A drag must not have opened the panel: give a slide time to show, then look again.
  sleep 0.5
  geometry_is "$CLOSED_X" - - || fail "the drag opened or moved the panel sideways: $(panel_geometry)"
}

case_restart_keeps_dragged_position() {
  stop_zarvik
  start_zarvik || return
  expect_geometry "after a restart, at the dragged height" "$CLOSED_X" "$((MID_Y + 40))" "$STRIP_H"
}

# Stored positions the program must not use: each puts the panel at mid-height and is rewritten.
case_unusable_panelpos_replaced() {
  local value stored
  for value in 999999 -30 "$((SCREEN_H * 15 + 1))" abc; do
    stop_zarvik
    write_ini ShowSplash=0 hide5sec=0 "PanelPos=$value"
    start_zarvik || return
    expect_geometry "PanelPos=$value" "$CLOSED_X" "$MID_Y" "$STRIP_H"
    zx_wait_for 5 -- sh -c "grep -qx 'PanelPos=$((MID_Y * 15))' '$ini'"
    stored=$(ini_value PanelPos)
    [ "$stored" = "$((MID_Y * 15))" ] || fail "PanelPos=$value was not rewritten as $((MID_Y * 15)): stored '$stored'"
  done
}

case_bigpanel_shows_more() {
  stop_zarvik
  write_ini ShowSplash=0 hide5sec=0 bigpanel=1
  start_zarvik || return
  expect_geometry "closed large panel (1350 twips showing)" "$BIG_CLOSED_X" "$MID_Y" "$STRIP_H" || return
  click_handle
  expect_geometry "large panel opened" "$OPEN_X" "$MID_Y" "$STRIP_H"
  xdotool key Escape
  expect_geometry "large panel closed by Escape" "$BIG_CLOSED_X" "$MID_Y" "$STRIP_H"
}

# The handle dragged to the bottom: the open panel rises as far as its list needs, and comes
# back down when it closes; the stored place stays where the drag left it.
case_open_list_stays_on_the_screen() {
  stop_zarvik
  # The lowest place a drag leaves it: the strip (380 twips) ends on the bottom row.
  local stored_top=$((SCREEN_H * 15 - 380)) bottom tall top
  bottom=$(awk -v t="$stored_top" 'BEGIN { print int(t / 15 + 0.5) }')
  write_ini ShowSplash=0 hide5sec=0 "PanelPos=$stored_top"
  start_zarvik || return
  expect_geometry "closed panel at the bottom edge" "$CLOSED_X" "$bottom" "$STRIP_H" || return
  click_handle
  expect_geometry "open at the bottom edge" "$OPEN_X" "$bottom" "$STRIP_H" || return
  type_text "ca"
  tall=$(height_for ca)
  # The list's own height in twips, ending on the bottom row.
  top=$(awk -v n="$(lines_for ca)" -v h="$SCREEN_H" 'BEGIN { print int((h * 15 - (770 + 208 * (n - 1))) / 15 + 0.5) }')
  expect_geometry "listing 'ca' ($(lines_for ca) lines) wholly on the screen" "$OPEN_X" "$top" "$tall" &&
    zx_screenshot "panel-open-at-the-bottom"
  xdotool key Escape
  expect_geometry "closed, back at its place" "$CLOSED_X" "$bottom" "$STRIP_H"
  local stored
  stored=$(ini_value PanelPos)
  [ "$stored" = "$stored_top" ] || fail "PanelPos changed to '$stored' (was $stored_top)"
}

group_placement() {
  make_program_folder
  run_case "$group/case_drag_moves_and_stores" case_drag_moves_and_stores
  run_case "$group/case_restart_keeps_dragged_position" case_restart_keeps_dragged_position
  run_case "$group/case_unusable_panelpos_replaced" case_unusable_panelpos_replaced
  run_case "$group/case_bigpanel_shows_more" case_bigpanel_shows_more
  run_case "$group/case_open_list_stays_on_the_screen" case_open_list_stays_on_the_screen
}

# === group autohide: the seven idle seconds ===

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

# wait_closed SECONDS: polls until the panel stands closed again; prints when it was seen.
wait_closed() {
  zx_wait_for "$1" -- geometry_is "$CLOSED_X" - "$STRIP_H" && now
}

case_autohide_after_seven_seconds() {
  stop_zarvik
  write_ini ShowSplash=0 hide5sec=1
  start_zarvik || return
  expect_geometry "closed at start" "$CLOSED_X" "$MID_Y" "$STRIP_H" || return
  local clicked closed
  clicked=$(now)
  click_handle
  expect_geometry "opened" "$OPEN_X" "$MID_Y" "$STRIP_H" || return
  closed=$(wait_closed 15) || { fail "still open 15 s after the click: $(panel_geometry)"; return; }
  local took
  took=$(elapsed "$clicked" "$closed")
  awk -v t="$took" 'BEGIN { exit !(t >= 6 && t <= 12) }' ||
    fail "auto-hide came $took s after the click; expected about 7 (between 6 and 12)"
  echo "     auto-hide after $took s"
}

case_keystroke_postpones_autohide() {
  expect_geometry "closed" "$CLOSED_X" "$MID_Y" "$STRIP_H" || return
  click_handle
  expect_geometry "opened" "$OPEN_X" "$MID_Y" "$STRIP_H" || return
  sleep 4
  local typed closed took
  typed=$(now)
  type_text "c"
  expect_geometry "listing 'c'" "$OPEN_X" "$MID_Y" "$(height_for c)" || return
  closed=$(wait_closed 16) || { fail "still open 16 s after the keystroke: $(panel_geometry)"; return; }
  took=$(elapsed "$typed" "$closed")
  awk -v t="$took" 'BEGIN { exit !(t >= 6 && t <= 12) }' ||
    fail "auto-hide came $took s after the last keystroke; expected about 7 (between 6 and 12)"
  echo "     auto-hide $took s after the keystroke"
}

case_no_autohide_when_off() {
  stop_zarvik
  write_ini ShowSplash=0 hide5sec=0
  start_zarvik || return
  expect_geometry "closed at start" "$CLOSED_X" "$MID_Y" "$STRIP_H" || return
  click_handle
  expect_geometry "opened" "$OPEN_X" "$MID_Y" "$STRIP_H" || return
  sleep 9
  geometry_is "$OPEN_X" "$MID_Y" "$STRIP_H" || fail "with hide5sec=0 the panel closed by itself: $(panel_geometry)"
}

group_autohide() {
  make_program_folder
  run_case "$group/case_autohide_after_seven_seconds" case_autohide_after_seven_seconds
  run_case "$group/case_keystroke_postpones_autohide" case_keystroke_postpones_autohide
  run_case "$group/case_no_autohide_when_off" case_no_autohide_when_off
}

# === group article: Down and Enter open the article window, a click on a link opens another
# entry, «Назад» comes back ===

article_window=""
# The title of a window, as the program set it (UTF-8).
window_title() {
  xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}
# find_article TITLE: sets `article_window` to the program's visible window of that title.
find_article() {
  local w
  article_window=""
  for w in $(xdotool search --onlyvisible --classname '^zarvik$' 2>/dev/null); do
    if [ "$(window_title "$w")" = "$1" ]; then
      article_window=$w
      return 0
    fi
  done
  return 1
}
article_hidden() {
  local w
  for w in $(xdotool search --onlyvisible --classname '^zarvik$' 2>/dev/null); do
    case "$(window_title "$w")" in Статья*) return 1 ;; esac
  done
  return 0
}
# expect_article TITLE: waits for the article window to show that title.
expect_article() {
  if ! zx_wait_for 10 -- find_article "$1"; then
    local titles="" w
    for w in $(xdotool search --onlyvisible --classname '^zarvik$' 2>/dev/null); do
      titles="$titles '$(window_title "$w")'"
    done
    fail "no window titled '$1' within 10 s; the program's windows:$titles"
    return 1
  fi
}

case_down_enter_opens_the_article() {
  click_handle
  expect_geometry "open" "$OPEN_X" "$MID_Y" "$STRIP_H" || return
  bind_letters "кошк"
  LC_ALL=C.UTF-8 type_text "кошк"
  expect_geometry "listing 'кошк'" "$OPEN_X" "$MID_Y" "$(height_for_lines "$(russian_lines_for "кошк")")" || return
  xdotool key Down
  xdotool key Return
  expect_article "Статья — кошка" || return
  local x y w h
  read -r x y w h < <(zx_wininfo "$article_window" | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /^  Width:/ { w = $NF } /^  Height:/ { h = $NF } END { print x, y, w, h }')
  # Sized to the screen: a reading width, 60 % of the height, all of it on the screen.
  [ "$w" = 560 ] && [ "$h" = 614 ] || fail "article window is ${w}x${h}, expected 560x614"
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$SCREEN_W" ] && [ $((y + h)) -le "$SCREEN_H" ] ||
    fail "article window leaves the screen: $x,$y ${w}x${h}"
  zx_screenshot "article-koshka"
}

case_link_opens_its_entry() {
  [ -n "$article_window" ] || { fail "no article window"; return; }
  zx_activate "$article_window"
  local shot="$work/article.png" at ax ay
  timeout 10 import -window "$article_window" "$shot" || { fail "no picture of the article window"; return; }
  # The page's one link, "cat", is drawn in the link colour (blue): a click on its first blue
  # pixel is a click on the link.
  at=$(convert "$shot" txt:- | grep -m1 -i '#0000FF' | cut -d: -f1)
  [ -n "$at" ] || { fail "no link drawn on the page"; return; }
  read -r ax ay < <(zx_wininfo "$article_window" | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF } END { print x, y }')
  click_at "$((ax + ${at%,*} + 2))" "$((ay + ${at#*,} + 3))"
  expect_article "Статья — cat" || return
  zx_screenshot "article-cat"
}

case_back_returns() {
  [ -n "$article_window" ] || { fail "no article window"; return; }
  # «Назад» is the first button, at the window's top left.
  click_at "$(($(zx_wininfo "$article_window" | awk '/Absolute upper-left X:/ { print $NF }') + 30))" \
    "$(($(zx_wininfo "$article_window" | awk '/Absolute upper-left Y:/ { print $NF }') + 22))"
  expect_article "Статья — кошка" || return
  # The page gone back to is the Russian word's page again, its link to "cat" drawn, not a
  # page saying that the word is missing.
  local shot="$work/article-back.png"
  sleep 0.3
  timeout 10 import -window "$article_window" "$shot" || { fail "no picture of the article window"; return; }
  convert "$shot" txt:- | grep -q -m1 -i '#0000FF' || fail "the page gone back to has no link to cat"
  zx_activate "$article_window"
  xdotool key Escape
  zx_wait_for 5 -- article_hidden ||
    fail "Escape did not close the article window"
}

group_article() {
  make_program_folder
  write_ini ShowSplash=0 hide5sec=0 lastfocus=0
  run_case "$group/case_program_starts" start_zarvik
  [ -n "$panel" ] || return
  run_case "$group/case_down_enter_opens_the_article" case_down_enter_opens_the_article
  run_case "$group/case_link_opens_its_entry" case_link_opens_its_entry
  run_case "$group/case_back_returns" case_back_returns
}

case "$group" in
  flow) group_flow ;;
  placement) group_placement ;;
  autohide) group_autohide ;;
  article) group_article ;;
  *) echo "panel-e2e.sh: unknown group '$group'" >&2; exit 2 ;;
esac

zx_summary
