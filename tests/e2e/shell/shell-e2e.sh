#!/usr/bin/env bash
# The application shell on a real X server with a window manager and a tray host (trayer):
# the splash during start-up, the icon in the tray, a click and a double-click on it, the
# tray menu and every command in it, and the exit. One run of Zarvik, driven like a user
# would with xdotool; windows are read back with xwininfo, texts through the clipboard.
#
# Usage (inside tests/with-x.sh --tray): shell-e2e.sh [--no-tray] ZARVIK PROGRAM_DIR
#   ZARVIK       the built executable; it is copied into a temporary program folder
#   PROGRAM_DIR  the build's program folder: its zarvik.bdd, zarvik.chm and help/ come along
#   --no-tray    instead: a desktop with no notification area and no CHM viewer (run inside
#                with-x.sh --wm): the program runs on, and its help opens as HTML
# Prints one line per case and "N passed, N failed"; exits non-zero when a case failed.
# Screenshots of the splash, the menu, the about box and the help viewer go to
# $ZARVIK_ARTIFACTS (and one of every failure).
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../lib/x11.sh
source "$here/../lib/x11.sh"

no_tray=0
if [ "${1:-}" = --no-tray ]; then
  no_tray=1
  shift
fi
if [ $# -ne 2 ]; then
  echo "usage: shell-e2e.sh [--no-tray] ZARVIK PROGRAM_DIR" >&2
  exit 2
fi
zarvik_exe=$1 build_program=$2
export ZARVIK_ARTIFACTS=${ZARVIK_ARTIFACTS:-$(cd "$here/../../.." && pwd)/build/artifacts}
mkdir -p "$ZARVIK_ARTIFACTS"

SCREEN_W=1280
OPEN_X=$((SCREEN_W - 383))   # the open panel
CLOSED_X=$((SCREEN_W - 17))  # the closed panel

work=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-shell-e2e.XXXXXX")
zarvik_pid=""
viewer_pid=""
traced_pid=""
ZX_CASE_PREFIX=shell
ZX_CASE_LOG=$work/zarvik.log


# Whatever the way out, every process the script started (strace's tracee too) is ended
# within a bounded time.
cleanup() {
  zx_track $traced_pid
  zx_end_all
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- the program folder, the settings and the recorded xdg-open ---
program_dir="$work/program"
config_dir="$work/config"
ini="$config_dir/Zarvik5/Zarvik5.ini"
opened_log="$work/opened.log"
mkdir -p "$program_dir/skins/Broken" "$config_dir/Zarvik5" "$work/bin" "$work/runtime"
chmod 700 "$work/runtime"
cp "$zarvik_exe" "$program_dir/zarvik"
cp "$build_program/zarvik.bdd" "$build_program/zarvik.chm" "$program_dir/"
cp -r "$build_program/help" "$program_dir/help"
# No host may be contacted: opening a document or an address only writes it down.
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$opened_log"
EOF
chmod +x "$work/bin/xdg-open"
: >"$opened_log"

# A skin that cannot pass the skin check: its own splash picture (a plain red), and a first
# picture that is no picture. The start-up reads that one right after showing the splash;
# strace holds every access to it for a moment, so the test sees what the user sees while
# the program starts (see start_zarvik).
convert -size 370x217 xc:'#d02010' "$program_dir/skins/Broken/splash.jpg"
held_file="$program_dir/skins/Broken/panelbutton1.jpg"
printf 'not a picture' >"$held_file"
printf '[Options]\nskinname=Broken\nhide5sec=0\nlastfocus=0\n' >"$ini"

ini_value() { sed -n "s/^$1=//p" "$ini" | tail -1; }

# --- reading the screen back ---
# "X Y W H" of a window (absolute position of its inside).
geometry_of() {
  zx_wininfo "$1" | awk '
    /Absolute upper-left X:/ { x = $NF }
    /Absolute upper-left Y:/ { y = $NF }
    /^  Width:/ { w = $NF }
    /^  Height:/ { h = $NF }
    END { if (w != "") print x, y, w, h; else exit 1 }'
}
# The colour of one screen pixel as "R G B" (0-255).
pixel_at() {
  timeout 10 import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}
icon_present() { [ -n "$(tray_icon)" ]; }
icon_absent() { [ -z "$(tray_icon)" ]; }
# Visible top-level windows of Zarvik, one id a line.
zarvik_windows() { xdotool search --onlyvisible --classname '^zarvik$' 2>/dev/null | sort; }
panel_x_is() { local x; read -r x _ < <(geometry_of "$panel"); [ "$x" = "$1" ]; }


# Clicks at least a second apart, so that two of them never make a double-click (which
# would send Ctrl+Insert into whatever has the keyboard).
last_click=0
apart() {
  sleep "$(awk -v l="$last_click" -v n="$EPOCHREALTIME" 'BEGIN { w = l + 1.0 - n; print (w > 0 ? w : 0) }')"
}
click_icon() { # BUTTON [REPEAT]
  local x y w h
  read -r x y w h < <(tray_icon) || return 1
  pointer_to "$((x + w / 2))" "$((y + h / 2))"
  apart
  xdotool click --repeat "${2:-1}" --delay 80 "$1"
  last_click=$EPOCHREALTIME
}

# The tray menu: pops it up with a right click on the icon and waits for its window.
menu=""
before_windows=""
menu_appeared() {
  menu=$(comm -13 <(echo "$before_windows") <(zarvik_windows) | head -1)
  [ -n "$menu" ]
}
open_menu() {
  before_windows=$(zarvik_windows)
  click_icon 3 || { fail "no tray icon to right-click"; return 1; }
  zx_wait_for 5 -- menu_appeared && return 0
  fail "a right click on the icon opened no menu window"
  return 1
}
# Keys typed into the open menu, one every 150 ms.
menu_keys() { xdotool key --delay 150 "$@"; }
menu_closed() { ! zx_wininfo "$menu" | grep -q 'IsViewable'; }
# window_gone WINDOW: not (or no longer) shown on the screen.
window_gone() { ! zx_wininfo "$1" | grep -q 'IsViewable'; }


# binary_has_text FILE TEXT: the program carries TEXT (as Qt stores string literals, UTF-16,
# or as UTF-8).
binary_has_text() {
  local utf16
  utf16=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d ' \n' | sed 's/../\\x&/g')
  LC_ALL=C grep -qaP "$utf16" "$1" || grep -qaF "$2" "$1"
}

# === the cases, in the order of one run ===

# Starts Zarvik under strace, which delays the first opening of the held file by 3 s: the
# start-up stands still right after the splash, without any hook in the program.
start_zarvik_held() {
  if ! strace -qq -o /dev/null true 2>/dev/null; then
    echo "     SKIP holding the start-up: strace cannot trace here (ptrace not permitted)"
    start_zarvik_plain
    return
  fi
  XDG_CONFIG_HOME="$config_dir" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" ZARVIK_OFFLINE=1 PATH="$work/bin:$PATH" \
    strace -f -qq -o /dev/null -P "$held_file" -e trace=openat -e inject=openat:delay_enter=3000000:when=1 \
    "$program_dir/zarvik" >"$work/zarvik.log" 2>&1 &
  zarvik_pid=$!
  zx_track "$zarvik_pid"
  gone_note=""
  # strace ends with its tracee and passes its exit status on; the tracee itself is killed
  # by cleanup should strace go first.
  zx_wait_for 5 -- traced_or_gone
  traced_pid=$(pgrep -P "$zarvik_pid" | head -1)
}
traced_or_gone() { pgrep -P "$zarvik_pid" >/dev/null || ! kill -0 "$zarvik_pid" 2>/dev/null; }
start_zarvik_plain() {
  XDG_CONFIG_HOME="$config_dir" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" ZARVIK_OFFLINE=1 PATH="$work/bin:$PATH" \
    "$@" "$program_dir/zarvik" >"$work/zarvik.log" 2>&1 &
  zarvik_pid=$!
  zx_track "$zarvik_pid"
  gone_note=""
}

splash=""
find_splash() {
  splash=$(xdotool search --onlyvisible --name '^Zarvik$' 2>/dev/null | head -1)
  [ -n "$splash" ]
}
splash_or_gone() { find_splash || zarvik_gone; }

case_splash_paints_during_startup() {
  start_zarvik_held
  local x y w h rgb r g b
  splash=""
  zx_wait_for 10 -- splash_or_gone
  if [ -z "$splash" ]; then
    zarvik_gone || gone_note="zarvik still runs 10 s after its start"
    fail "no splash window appeared: $gone_note"
    return
  fi
  read -r x y w h < <(geometry_of "$splash")
  [ "$w $h" = "370 217" ] || fail "splash is ${w}x${h}, expected 370x217"
  [ "$x $y" = "$(((SCREEN_W - 370) / 2)) $(((1024 - 217) / 2))" ] || fail "splash at $x,$y, not centred"
  # The start-up is held at the skin check: what is on the screen now is what the user sees
  # while the program starts. The splash must show its picture, not an empty rectangle.
  sleep 0.3
  zx_screenshot shell-splash
  read -r r g b < <(pixel_at "$((x + 185))" "$((y + 100))")
  [ "${r:-0}" -gt 160 ] && [ "${g:-255}" -lt 90 ] && [ "${b:-255}" -lt 90 ] ||
    fail "splash shows colour '$r $g $b' at its middle, expected the skin's red splash picture"
  icon_absent || fail "the tray icon appeared before the splash went"
  zx_wait_for 20 -- window_gone "$splash" ||
    fail "the splash is still on the screen 20 s later"
  zx_wait_for 10 -- icon_present || fail "no icon of Zarvik in the tray after the start-up"
  [ "$(ini_value skinname)" = "(по умолчанию)" ] ||
    fail "broken skin: skinname is '$(ini_value skinname)', expected the built-in skin after the start-up"
}

panel=""
panel_or_gone() { find_panel || zarvik_gone; }
panel_top_is() { zx_wininfo "$panel" | grep -q "Absolute upper-left Y:  *$1\$"; }
case_click_opens_and_closes_the_panel() {
  zx_wait_for 10 -- panel_or_gone
  [ -n "$panel" ] || { fail "no panel window appeared: ${gone_note:-none within 10 s}"; return; }
  panel_x_is "$CLOSED_X" || fail "panel not closed at start: $(geometry_of "$panel")"
  click_icon 1
  zx_wait_for 5 -- panel_x_is "$OPEN_X" || fail "a click on the icon did not open the panel: $(geometry_of "$panel")"
  click_icon 1
  zx_wait_for 5 -- panel_x_is "$CLOSED_X" || fail "a second click did not close the panel: $(geometry_of "$panel")"
}

case_double_click_opens_once() {
  click_icon 1 2
  zx_wait_for 5 -- panel_x_is "$OPEN_X" || { fail "a double-click did not open the panel"; return; }
  # A second open command would close it again: look once more after a slide's time.
  sleep 1
  panel_x_is "$OPEN_X" || fail "a double-click ran the open command twice: $(geometry_of "$panel")"
  click_icon 1
  zx_wait_for 5 -- panel_x_is "$CLOSED_X" || fail "could not close the panel again"
}

# held_click_icon SECONDS: a left press on the icon held that long, then the release.
held_click_icon() {
  local x y w h
  read -r x y w h < <(tray_icon) || return 1
  pointer_to "$((x + w / 2))" "$((y + h / 2))"
  apart
  xdotool mousedown 1
  sleep "$1"
  xdotool mouseup 1
  last_click=$EPOCHREALTIME
}

# restart_with_lastfocus VALUE: Zarvik again, with a click outside the panel closing it
# (1) or not (0, as the rest of this run has it).
restart_with_lastfocus() {
  # Started under strace, the program is strace's child: both go.
  [ -n "${traced_pid:-}" ] && kill "$traced_pid" 2>/dev/null
  traced_pid=""
  kill "$zarvik_pid" 2>/dev/null
  zx_wait_for 10 -- zarvik_gone
  # Its icon gone first, so that the icon clicked is the new one's; no splash in the way.
  zx_wait_for 10 -- icon_absent
  sed -i "s/^lastfocus=.*/lastfocus=$1/" "$ini"
  grep -q '^ShowSplash=' "$ini" || sed -i 's/^\[Options\]$/[Options]\nShowSplash=0/' "$ini"
  start_zarvik_plain
  panel=""
  zx_wait_for 10 -- panel_or_gone && zx_wait_for 10 -- icon_present
}

# A press opens or closes the panel once however long it is held; its release, outside the
# panel, does not close the panel it has just opened (clicks outside close it here).
case_held_click_on_the_icon() {
  local held
  restart_with_lastfocus 1 || { fail "Zarvik did not come back: ${gone_note:-no panel or icon}"; return; }
  for held in 0.15 0.3; do
    held_click_icon "$held" || { fail "no tray icon to click"; return; }
    zx_wait_for 5 -- panel_x_is "$OPEN_X" || { fail "a ${held} s click on the icon did not open the panel: $(geometry_of "$panel")"; break; }
    # Time for a closing slide to show, should the release have counted as a click outside.
    sleep 1
    panel_x_is "$OPEN_X" || { fail "the panel did not stay open after a ${held} s click on the icon: $(geometry_of "$panel")"; break; }
    held_click_icon "$held"
    zx_wait_for 5 -- panel_x_is "$CLOSED_X" || { fail "a ${held} s click on the icon did not close the panel: $(geometry_of "$panel")"; break; }
  done
  restart_with_lastfocus 0 || fail "Zarvik did not come back: ${gone_note:-no panel or icon}"
}

case_menu_opens_at_the_pointer() {
  open_menu || return
  local x y w h px py
  read -r x y w h < <(geometry_of "$menu")
  read -r px py < <(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
  # Near the pointer (Qt moves it inside the screen at the corner).
  [ $((px - x)) -le "$w" ] && [ $((px - x)) -ge -2 ] || fail "menu at $x,$y (${w}x${h}) is not at the pointer $px,$py"
  [ "$h" -gt 80 ] || fail "menu only ${h} px high: not four items and three separators"
  zx_screenshot shell-menu
  # The submenu "Справка" for the look of it too.
  menu_keys Down Down Down Right
  sleep 0.4
  zx_screenshot shell-menu-help
  menu_keys Escape Escape
  zx_wait_for 5 -- menu_closed || fail "Escape did not close the menu"
}

# A right click on the panel's handle, which must open the tray menu.
menu_on_the_panel_handle() {
  local x y w h
  read -r x y w h < <(geometry_of "$panel")
  before_windows=$(zarvik_windows)
  pointer_to "$((x + 8))" "$((y + 12))"
  apart
  xdotool click 3
  last_click=$EPOCHREALTIME
  zx_wait_for 5 -- menu_appeared || { fail "a right click on the panel's handle opened no menu"; return 1; }
}

case_menu_on_the_panel_handle() {
  menu_on_the_panel_handle || return
  xdotool key Escape
  zx_wait_for 5 -- menu_closed || fail "Escape did not close the menu"
}

# "О программе...": the about box with the number of words of the dictionary.
case_about_shows_the_word_count() {
  local words
  words=$(sqlite3 "$program_dir/zarvik.bdd" 'SELECT count(*) FROM EngRus' 2>/dev/null)
  open_menu || return
  menu_keys Down Down Down Right Down Down Return
  local box
  box=$(timeout 10 xdotool search --sync --onlyvisible --name '^О программе Zarvik$' 2>/dev/null | head -1)
  [ -n "$box" ] || { fail "no window 'О программе Zarvik' after choosing 'О программе...'"; return; }
  local x y w h
  read -r x y w h < <(geometry_of "$box")
  [ "$w $h" = "456 222" ] || fail "about box is ${w}x${h}, expected 456x222"
  sleep 0.3
  zx_screenshot shell-about
  # The count, read the way a user would take it: select it and copy it.
  pointer_to "$((x + 215))" "$((y + 33))"
  apart
  xdotool click 1
  last_click=$EPOCHREALTIME
  xdotool key --delay 100 ctrl+a ctrl+c
  local copied=""
  zx_wait_for 2 -- test "$(zx_clipboard_get)" = "($words слов(а) в базе данных)"
  copied=$(zx_clipboard_get)
  [ "$copied" = "($words слов(а) в базе данных)" ] ||
    fail "the about box shows '$copied', expected '($words слов(а) в базе данных)'"
  xdotool key Escape
  zx_wait_for 5 -- window_gone "$box" || fail "Escape did not close the about box"
}

case_help_and_web_page_are_opened() {
  : >"$opened_log"
  open_menu || return
  menu_keys Down Down Down Right Return
  zx_wait_for 5 -- test -s "$opened_log" || { fail "'Справка...' opened nothing"; return; }
  local help
  help=$(head -1 "$opened_log")
  # Qt hands a file to xdg-open as a file: address.
  [ "$help" = "file://$program_dir/zarvik.chm" ] ||
    fail "'Справка...' opened '$help', expected file://$program_dir/zarvik.chm"
  help=${help#file://}
  open_menu || return
  menu_keys Down Down Down Right Down Return
  zx_wait_for 5 -- sh -c "[ \$(wc -l <'$opened_log') -ge 2 ]" || { fail "'Zarvik 5.1 в Интернете...' opened nothing"; return; }
  [ "$(sed -n 2p "$opened_log")" = "http://www.zarvik.example/zarvik/index.htm" ] ||
    fail "the product page opened as '$(sed -n 2p "$opened_log")'"
  # What the desktop's CHM viewer makes of the help it was handed.
  if command -v xchm >/dev/null; then
    xchm "$help" >"$work/xchm.log" 2>&1 &
    viewer_pid=$!
    zx_track "$viewer_pid"
    if timeout 15 xdotool search --sync --onlyvisible --classname '^xchm$' >/dev/null 2>&1; then
      sleep 2
      zx_screenshot shell-help-viewer
    else
      fail "xchm showed no window for $help within 15 s; it said: $(tail -c 400 "$work/xchm.log" 2>/dev/null)"
    fi
    zx_end "$viewer_pid"
    viewer_pid=""
  else
    fail "no CHM viewer (xchm) installed: scripts/deps.sh installs it"
  fi
}

case_options_from_the_menu() {
  # The panel is shown: choosing the options writes where it stands.
  sed -i '/^PanelPos=/d' "$ini"
  open_menu || return
  menu_keys Down Down Return
  zx_wait_for 5 -- grep -q '^PanelPos=' "$ini" || fail "'Настройки...' did not store PanelPos"
  if ! binary_has_text "$program_dir/zarvik" 'Настройки Zarvik'; then
    echo "     SKIP the options window itself: this build has no options dialog yet"
    return
  fi
  timeout 10 xdotool search --sync --onlyvisible --name '^Настройки Zarvik$' >/dev/null 2>&1 ||
    { fail "no window 'Настройки Zarvik' after choosing 'Настройки...'"; return; }
  open_menu || return
  menu_keys Down Down Return
  sleep 1
  local n
  n=$(xdotool search --onlyvisible --name '^Настройки Zarvik$' 2>/dev/null | wc -l)
  [ "$n" = 1 ] || fail "choosing 'Настройки...' twice left $n options windows"
}

zarvik_ended() { ! kill -0 "$zarvik_pid" 2>/dev/null; }
case_exit_keeps_the_moved_panel_and_leaves_no_icon() {
  # Move the closed panel 60 px down by its handle, then forget what the drag stored, so
  # that only the exit can put it back.
  local x y w h step
  read -r x y w h < <(geometry_of "$panel")
  pointer_to "$((x + 8))" "$((y + 8))"
  apart
  xdotool mousedown 1
  for step in 1 2 3 4 5 6; do
    pointer_to "$((x + 8))" "$((y + 8 + 10 * step))"
    sleep 0.03
  done
  sleep 0.3
  xdotool mouseup 1
  last_click=$EPOCHREALTIME
  local top
  zx_wait_for 5 -- panel_top_is "$((y + 60))" ||
    { fail "the drag did not move the panel: $(geometry_of "$panel")"; return; }
  top=$(((y + 60) * 15))
  sleep 0.3
  sed -i '/^PanelPos=/d' "$ini"
  open_menu || return
  menu_keys Up Return
  zx_wait_for 5 -- zarvik_ended || { fail "Zarvik still runs 5 s after 'Выход'"; return; }
  wait "$zarvik_pid"
  local status=$?
  zarvik_pid=""
  [ "$status" = 0 ] || fail "Zarvik ended with status $status"
  icon_absent || fail "the icon is still in the tray after 'Выход'"
  local stored
  stored=$(ini_value PanelPos)
  awk -v s="$stored" -v e="$top" 'BEGIN { exit !(s != "" && s + 0 == e + 0) }' ||
    fail "PanelPos after 'Выход' is '$stored', expected $top"
}

# Without a notification area the program runs on, and says once why it shows no icon.
case_runs_without_a_notification_area() {
  printf '[Options]\nShowSplash=0\n' >"$ini"
  # A desktop that knows no program for any file type, so none for CHM either.
  mkdir -p "$work/nodata"
  start_zarvik_plain env XDG_DATA_HOME="$work/nodata" XDG_DATA_DIRS="$work/nodata" XDG_CONFIG_DIRS="$work/nodata"
  zx_wait_for 10 -- panel_or_gone
  if [ -z "$panel" ]; then
    zarvik_gone || gone_note="zarvik still runs 10 s after its start"
    fail "no panel window appeared: $gone_note"
    return
  fi
  sleep 1
  kill -0 "$zarvik_pid" 2>/dev/null || fail "Zarvik ended without a notification area"
  local told
  told=$(grep -c 'no notification area' "$work/zarvik.log")
  [ "$told" = 1 ] || fail "expected one line on standard error about the missing notification area, saw $told"
}

# The menu is still there on the panel's handle; with no CHM viewer the help opens as HTML.
case_help_without_a_chm_viewer_is_html() {
  menu_on_the_panel_handle || return
  : >"$opened_log"
  menu_keys Down Down Down Right Return
  zx_wait_for 10 -- test -s "$opened_log" || { fail "'Справка...' opened nothing"; return; }
  [ "$(head -1 "$opened_log")" = "file://$program_dir/help/index.html" ] ||
    fail "without a CHM viewer 'Справка...' opened '$(head -1 "$opened_log")', expected the HTML help"
}

# A case that needs the running program fails at once, with the reason, once it has ended.
case_program_gone() { fail "$gone_note"; }
run_live_case() {
  if zarvik_gone; then
    run_case "$1" case_program_gone
  else
    run_case "$1"
  fi
}

if [ "$no_tray" = 1 ]; then
  run_case case_runs_without_a_notification_area
  run_live_case case_help_without_a_chm_viewer_is_html
  zx_summary
  exit
fi

for c in case_splash_paints_during_startup case_click_opens_and_closes_the_panel case_double_click_opens_once \
  case_held_click_on_the_icon case_menu_opens_at_the_pointer case_menu_on_the_panel_handle case_about_shows_the_word_count \
  case_help_and_web_page_are_opened case_options_from_the_menu case_exit_keeps_the_moved_panel_and_leaves_no_icon; do
  if [ "$c" = case_splash_paints_during_startup ]; then run_case "$c"; else run_live_case "$c"; fi
done
zx_summary
