#!/usr/bin/env bash
# Zarvik in a Wayland session: a headless sway (wlroots) with XWayland, Qt's Wayland plugin
# installed. Native Wayland programs are played by wl-copy; xterm is the X11 program. The
# screen is read back with grim (screenshots) and, for Zarvik's own windows, with xwininfo and
# xdotool on XWayland.
#
# The keyboard is played by wtype (the compositor's virtual keyboard).
#
# Usage: sway-e2e.sh ZARVIK SAMPLE_BDD SWAY_POINTER SNI_WATCHER
#   SWAY_POINTER  the session's pointer (sway_pointer.cpp)
#   SNI_WATCHER   a notification-area host on a session bus (sni_watcher.cpp)
# sway refuses to run as root: run by root, the whole session (sway, Zarvik, the programs)
# runs as the unprivileged user `nobody` through setpriv. Exits 77 (skipped) only when the
# compositor cannot start; otherwise prints one line per case and "N passed, N failed".
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../lib/x11.sh
source "$here/../lib/x11.sh"

if [ $# -ne 4 ] || [ ! -x "$1" ] || [ ! -f "$2" ] || [ ! -x "$3" ] || [ ! -x "$4" ]; then
  echo "usage: sway-e2e.sh ZARVIK SAMPLE_BDD SWAY_POINTER SNI_WATCHER" >&2
  exit 2
fi
zarvik_exe=$1 sample=$2 pointer_exe=$3 watcher_exe=$4
export ZARVIK_ARTIFACTS=${ZARVIK_ARTIFACTS:-$(cd "$here/../../.." && pwd)/build/artifacts}
mkdir -p "$ZARVIK_ARTIFACTS"
SKIP=77
SCREEN_W=1280 SCREEN_H=800
USER_TEXT="user's own text"

for tool in sway Xwayland wl-copy wl-paste grim wtype swaymsg xterm xdotool xwininfo dbus-daemon gdbus convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "sway-e2e.sh: $tool is missing (scripts/deps.sh installs it)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-sway.XXXXXX")
chmod 755 "$work"
pids=()
pointer_pid=""
sway_pid=""
zarvik_pid=""
ZX_CASE_PREFIX=sway
ZX_CASE_LOG=$work/zarvik.log

cleanup() {
  local pid
  # The programs first, the compositor last.
  exec 7>&- 2>/dev/null
  for pid in "${pids[@]}" $zarvik_pid $pointer_pid $sway_pid; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${pids[@]}" $zarvik_pid $pointer_pid $sway_pid; do
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

# --- the session's user and environment ---
if [ "$(id -u)" -eq 0 ]; then
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  owner=nobody:nogroup
else
  run_as=()
  owner=$(id -u):$(id -g)
fi
mkdir -p "$work/run" "$work/home" "$work/config/Zarvik5" "$work/program/skins"
cp "$zarvik_exe" "$work/program/zarvik"
cp "$sample" "$work/program/zarvik.bdd"
cp "$here/../../../data/null.wav" "$work/program/null.wav"
cp "$pointer_exe" "$work/sway_pointer"
cp "$watcher_exe" "$work/sni_watcher"
printf '[Options]\nShowSplash=0\n' >"$work/config/Zarvik5/Zarvik5.ini"
cat >"$work/sway.config" <<CONF
xwayland force
default_border none
output HEADLESS-1 resolution ${SCREEN_W}x${SCREEN_H} position 0 0 bg #808080 solid_color
CONF
chown -R "$owner" "$work"
chmod 700 "$work/run"

# as_user CMD...: runs CMD in the session, as its user, with the session's environment.
session_env=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/run" LANG=C.UTF-8
  XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data")
as_user() {
  "${run_as[@]}" "${session_env[@]}" WAYLAND_DISPLAY="${WAYLAND_DISPLAY_NAME:-}" DISPLAY="${X_DISPLAY:-}" \
    XDG_SESSION_TYPE=wayland "$@"
}
# spawn CMD...: as_user in the background; $! is the program itself (setpriv and env exec it).
# Its standard input is the caller's (a background command would otherwise get /dev/null).
spawn() {
  (exec "${run_as[@]}" "${session_env[@]}" WAYLAND_DISPLAY="${WAYLAND_DISPLAY_NAME:-}" DISPLAY="${X_DISPLAY:-}" \
    XDG_SESSION_TYPE=wayland "$@") <&0 &
}

# --- the compositor ---
(exec "${run_as[@]}" "${session_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$work/sway.config" >"$work/sway.log" 2>&1) &
sway_pid=$!
sway_socket() { ls "$work"/run/sway-ipc.*.sock >/dev/null 2>&1; }
# What the compositor hands its programs (the XWayland display among it), once XWayland is up.
sway_env() {
  "${run_as[@]}" "${session_env[@]}" SWAYSOCK="$(ls "$work"/run/sway-ipc.*.sock)" \
    swaymsg exec "env > $work/sway.env" >/dev/null 2>&1
  sleep 0.3
  grep -q '^DISPLAY=' "$work/sway.env" 2>/dev/null
}
if ! zx_wait_for 20 -- sway_socket || ! zx_wait_for 20 -- sway_env; then
  echo "SKIPPED: sway could not start a headless session with XWayland here; its last words:"
  tail -5 "$work/sway.log" | sed 's/^/  /'
  exit $SKIP
fi
WAYLAND_DISPLAY_NAME=$(sed -n 's/^WAYLAND_DISPLAY=//p' "$work/sway.env")
X_DISPLAY=$(sed -n 's/^DISPLAY=//p' "$work/sway.env")
SWAYSOCK=$(sed -n 's/^SWAYSOCK=//p' "$work/sway.env")
export DISPLAY=$X_DISPLAY
if ! zx_wait_for 20 -- as_user xdpyinfo; then
  echo "SKIPPED: sway started, but its XWayland ($X_DISPLAY) does not answer"
  exit $SKIP
fi
echo "sway: WAYLAND_DISPLAY=$WAYLAND_DISPLAY_NAME DISPLAY=$X_DISPLAY"

sway_cmd() { as_user SWAYSOCK="$SWAYSOCK" swaymsg "$@" >/dev/null; }
x() { as_user "$@"; }
shot() { as_user grim "$work/shot.png" && cp "$work/shot.png" "$ZARVIK_ARTIFACTS/$1.png"; }
zx_screenshot() { shot "$1"; }

# wl_copy ARGS...: a native Wayland program copies or selects; it serves the selection until
# another replaces it.
wl_copy() {
  spawn wl-copy --foreground "$@" >/dev/null 2>&1
  pids+=($!)
}

# The strip is the program's override-redirect window that is not the 383-pixel panel.
find_windows() {
  strip="" panel=""
  local w info
  for w in $(x xdotool search --classname '^zarvik$' 2>/dev/null); do
    info=$(x xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    if grep -q 'Width: 383$' <<<"$info"; then panel=$w; else strip=$w; fi
  done
  [ -n "$strip" ] && [ -n "$panel" ]
}
geometry() {
  x xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    END {if (x == "" || y == "") exit 1; print x, y}'
}
strip_shown() { local gx gy; read -r gx gy < <(geometry "$strip") && [ "$gx" -ge 0 ]; }
strip_parked() { local gx gy; read -r gx gy < <(geometry "$strip") && [ "$gx" -lt -600 ]; }
strip_text() { x xdotool getwindowname "$strip" 2>/dev/null; }
# The session's pointer: the headless compositor has no input devices, so the test gives it
# one and drives it through a pipe, a command a line (see sway_pointer.cpp).
mkfifo "$work/pointer.in"
chown "$owner" "$work/pointer.in"
# Held open for writing first (read-write, which never waits), so that opening it to read
# does not wait for a writer either.
exec 7<>"$work/pointer.in"
spawn "$work/sway_pointer" "$SCREEN_W" "$SCREEN_H" <"$work/pointer.in" >"$work/pointer.out" 2>&1
pointer_pid=$!
if ! zx_wait_for 10 -- grep -qx ready "$work/pointer.out"; then
  echo "FAIL: no pointer for the session: $(cat "$work/pointer.out")"
  echo "0 passed, 1 failed"
  exit 1
fi
# pointer COMMAND...: plays one command and waits until it is done.
pointer_done() { [ "$(grep -cx ok "$work/pointer.out")" -gt "$1" ]; }
pointer() {
  local before
  before=$(grep -cx ok "$work/pointer.out")
  echo "$*" >&7
  zx_wait_for 5 -- pointer_done "$before" || fail "the pointer did not play: $*"
}
cursor_to() { pointer move "$1" "$2"; }

# --- Zarvik ---
# The session's clipboard holds the user's text before Zarvik starts: it is not translated.
wl_copy "$USER_TEXT"
spawn ZARVIK_OFFLINE=1 "$work/program/zarvik" >"$ZX_CASE_LOG" 2>&1
zarvik_pid=$!
if ! zx_wait_for 15 -- find_windows; then
  echo "FAIL start: Zarvik's windows did not appear on XWayland"
  cat "$ZX_CASE_LOG"
  shot sway-start-failure
  echo "0 passed, 1 failed"
  exit 1
fi
# Away from every X11 window: the pointer over the empty desktop is nowhere Zarvik can see.
cursor_to 100 100

case_start() {
  kill -0 "$zarvik_pid" 2>/dev/null || fail "Zarvik is not running"
  local gx gy
  read -r gx gy < <(geometry "$panel") || fail "no panel geometry"
  # The closed panel leaves its 17-pixel handle on the screen at the right edge.
  [ "${gx:-0}" -eq $((SCREEN_W - 17)) ] || fail "panel at x=$gx, expected $((SCREEN_W - 17)) (handle at the right edge)"
  strip_parked || fail "the strip is not parked: $(geometry "$strip")"
  # The toolkit runs on XWayland: no window of Zarvik's is a native Wayland one.
  local native
  native=$(as_user SWAYSOCK="$SWAYSOCK" swaymsg -t get_tree | grep -c '"app_id": "zarvik"')
  [ "$native" -eq 0 ] || fail "$native native Wayland windows of Zarvik (the toolkit took the Wayland platform)"
  grep -q 'data-control' "$ZX_CASE_LOG" && fail "Zarvik says it cannot watch native programs: $(cat "$ZX_CASE_LOG")"
  # No session bus, so no notification area: said once, and the program runs on.
  grep -q 'no notification area' "$ZX_CASE_LOG" || fail "no word about the missing notification area"
  shot sway-start
}
run_case start case_start

# The text the user copied before the start is what they had, not a copy to translate: not
# at the start, nor when XWayland passes it on to X11 programs once one of them is in front.
case_start_clipboard_not_translated() {
  local i term
  spawn xterm -T zarvik-start-xterm -e sleep 600
  term=$!
  pids+=($term)
  zx_wait_for 10 -- x xdotool search --name '^zarvik-start-xterm$' || fail "xterm did not come up"
  for i in $(seq 20); do
    strip_parked || { fail "a strip after the start: [$(strip_text)] (the clipboard held [$USER_TEXT] before the start)"; break; }
    sleep 0.1
  done
  kill "$term" 2>/dev/null
  zx_wait_for 5 -- sh -c "! kill -0 $term 2>/dev/null"
}
run_case start-clipboard-not-translated case_start_clipboard_not_translated

# pixel_at X Y: the screen's colour there, as "R,G,B", from a screenshot.
pixel_at() {
  as_user grim "$work/pixel.png" &&
    convert "$work/pixel.png" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}
# The closed panel's handle has rounded corners: its window's top-left pixel is outside the
# outline, so the grey desktop shows there, not a black square.
case_handle_is_shaped() {
  local gx gy corner inside
  read -r gx gy < <(geometry "$panel") || { fail "no panel geometry"; return; }
  corner=$(pixel_at "$gx" "$gy")
  inside=$(pixel_at "$((gx + 8))" "$((gy + 12))")
  echo "     corner $corner, handle $inside"
  [ "$corner" = "128,128,128" ] || fail "the handle's corner shows $corner, not the desktop's 128,128,128"
  [ "$inside" != "128,128,128" ] || fail "the handle itself shows the desktop colour"
}
run_case handle-is-shaped case_handle_is_shaped

# The panel's own windows on XWayland, as "x y width height".
window_box() {
  x xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF} /Height:/ {h = $NF} END {if (w == "") exit 1; print x, y, w, h}'
}
panel_open() { local gx gy w h; read -r gx gy w h < <(window_box "$panel") && [ "$gx" -eq $((SCREEN_W - 383)) ]; }
panel_closed() { local gx gy w h; read -r gx gy w h < <(window_box "$panel") && [ "$gx" -eq $((SCREEN_W - 17)) ]; }
# A window of Zarvik's on the screen other than the panel and the strip: the menu. The open
# panel's one-pixel keyboard holder is none.
menu_window() {
  local w info
  for w in $(x xdotool search --classname '^zarvik$' 2>/dev/null); do
    [ "$w" = "$panel" ] || [ "$w" = "$strip" ] && continue
    info=$(x xwininfo -id "$w" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    grep -q 'Width: 1$' <<<"$info" && continue
    echo "$w"
    return 0
  done
  return 1
}
handle_point() { local gx gy w h; read -r gx gy w h < <(window_box "$panel") && echo "$((gx + 8)) $((gy + 12))"; }

# Without a notification area (sway has none) the handle is the way to the panel and its
# right-click menu the way to the tray's menu: the menu comes up beside the handle, a click on
# the handle puts it away and opens the panel, and a second click closes the panel.
case_handle_menu() {
  local hx hy menu mx my mw mh
  read -r hx hy < <(handle_point) || { fail "no panel geometry"; return; }
  cursor_to "$hx" "$hy"
  sleep 0.3
  pointer rclick
  if ! zx_wait_for 5 -- menu_window; then
    fail "no menu after a right click on the handle"
    local w
    # What was on the screen instead.
    for w in $(x xdotool search --classname '^zarvik$' 2>/dev/null); do
      echo "     window $w: $(x xwininfo -id "$w" | grep -E 'Map State|Width|Height' | tr -s ' ' | tr '\n' ' ')"
    done
    return
  fi
  menu=$(menu_window)
  read -r mx my mw mh < <(window_box "$menu")
  echo "     menu ${mw}x${mh} at $mx,$my"
  # Wholly on the screen, and several items high.
  [ "$mx" -ge 0 ] && [ $((mx + mw)) -le "$SCREEN_W" ] && [ "$my" -ge 0 ] && [ $((my + mh)) -le "$SCREEN_H" ] ||
    fail "the menu is not wholly on the screen: ${mw}x${mh} at $mx,$my"
  [ "$mh" -ge 60 ] || fail "the menu is only $mh pixels high"
  shot sway-handle-menu
  # Put away by a click on one of XWayland's windows: the menu's pointer grab covers only
  # those, so a click on the empty desktop or on a native window never reaches it.
  read -r hx hy < <(handle_point)
  cursor_to "$hx" "$hy"
  sleep 0.3
  pointer click
  local i
  for i in $(seq 50); do menu_window >/dev/null || break; sleep 0.1; done
  menu_window >/dev/null && fail "the menu stayed after a click on the handle"
  # The toolkit passes that click on to the handle, as on an X11 desktop: the panel opens
  # (the way to it where there is no notification area), and a second click closes it.
  zx_wait_for 5 -- panel_open || fail "the click that put the menu away did not open the panel: $(window_box "$panel")"
  kill -0 "$zarvik_pid" 2>/dev/null || { fail "Zarvik ended while the panel opened"; return; }
  shot sway-panel-open
  sleep 1
  read -r hx hy < <(handle_point)
  cursor_to "$hx" "$hy"
  sleep 0.3
  pointer click
  zx_wait_for 5 -- panel_closed || fail "the panel did not close after a click on its handle: $(window_box "$panel")"
  cursor_to 100 100
}
run_case handle-menu case_handle_menu

# type_keys WTYPE_ARGS...: types into whatever has the keyboard. XWayland loses the first key
# of each wtype now and then (it arrives with the virtual keyboard's new keymap), so a Shift
# pressed and released goes first, and the keys a moment later.
type_keys() { as_user wtype -M shift -m shift -s 200 "$@"; }
# panel_height_is H: the panel's window is H pixels high.
panel_height_is() { local gx gy w h; read -r gx gy w h < <(window_box "$panel") && [ "$h" -eq "$1" ]; }
# click_handle: a left click on the panel's handle, the pointer arriving as a mouse brings it,
# the last step short. While an X11 program has the focus, XWayland here moves its pointer at
# a press by the length of the pointer's last move (seen with xdotool getmouselocation before
# and after the press, with any override-redirect window), so a press after a jump across the
# screen would land far from the handle.
click_handle() {
  local hx hy
  read -r hx hy < <(handle_point) || return 1
  cursor_to $((hx - 2)) "$hy"
  sleep 0.2
  cursor_to "$hx" "$hy"
  sleep 0.3
  pointer "${1:-click}"
}
# The open panel takes the keyboard from the program in front, an X11 one (xterm) and a native
# Wayland one (foot): what is typed lists in the panel and reaches the program no more; once
# the panel is closed by Escape, typing goes to the program again. The pointer stays on the
# panel meanwhile: sway's focus follows the mouse, so a pointer moved onto the terminal would
# give the terminal the keyboard, as the user's own settings say.
# typing_with TERMINAL TITLE: TERMINAL is xterm or foot, its window titled TITLE.
typing_with() {
  local terminal=$1 title=$2 typed="$work/$1.typed" term
  : >"$typed"
  chown "$owner" "$typed"
  # Every key the terminal gets, at once (no line editing), into a file.
  local keep="stty -icanon -echo; exec cat >$typed"
  case $terminal in
    xterm) spawn xterm -T "$title" -e sh -c "$keep" ;;
    foot) spawn foot --title "$title" sh -c "$keep" ;;
  esac
  term=$!
  pids+=($term)
  if zx_wait_for 10 -- titled "$title"; then
    typing_into_panel_steps "$typed" "$terminal"
  else
    fail "$terminal did not come up"
  fi
  # The terminal goes, whatever the case saw: the next cases want the desktop without it.
  kill "$term" 2>/dev/null
  zx_wait_for 5 -- sh -c "! kill -0 $term 2>/dev/null"
  cursor_to 100 100
}
# titled TITLE: sway shows a window titled TITLE (X11 or native alike).
titled() { as_user SWAYSOCK="$SWAYSOCK" swaymsg -t get_tree | grep -q "\"name\": \"$1\""; }
typing_into_panel_steps() {
  local typed=$1 terminal=$2 gx gy w h
  sleep 1
  # What the terminal shows at the middle of the screen, where sway would put a small
  # floating window of ours.
  local middle_before middle
  middle_before=$(pixel_at $((SCREEN_W / 2)) $((SCREEN_H / 2)))
  # The terminal has the keyboard: sway focused it as it came up.
  type_keys a
  zx_wait_for 3 -- grep -q a "$typed" || fail "$terminal did not get a key typed before the panel opened: [$(cat "$typed")]"
  click_handle || { fail "no panel geometry"; return; }
  zx_wait_for 5 -- panel_open || { fail "the panel did not open on a click with $terminal in front: $(window_box "$panel")"; return; }
  sleep 0.5
  # Typed a letter at a time, each lists in the panel: "d" 10 lines (the most it shows), "do"
  # 5, "dog" 1 (its own line); 255 twips of list, 208 for each further line, 515 of strip.
  local key height expected=(d:176 o:107 g:51)
  for key in "${expected[@]}"; do
    height=${key#*:}
    type_keys "${key%%:*}"
    if ! zx_wait_for 5 -- panel_height_is "$height"; then
      read -r gx gy w h < <(window_box "$panel")
      fail "with $terminal in front, after typing '${key%%:*}' the panel is ${h} pixels high, expected $height"
      echo "     input focus: $(x xdotool getwindowfocus 2>&1); panel $panel"
      break
    fi
  done
  shot "sway-typing-into-panel-$terminal"
  # The window that holds the keyboard for the panel is not seen.
  middle=$(pixel_at $((SCREEN_W / 2)) $((SCREEN_H / 2)))
  [ "$middle" = "$middle_before" ] || fail "the middle of the screen shows $middle, not the terminal's $middle_before"
  [ "$(cat "$typed")" = a ] || fail "$terminal got [$(cat "$typed")] while the panel was open, expected only the earlier [a]"
  # Escape closes the panel, and the terminal has the keyboard back.
  type_keys -k Escape
  zx_wait_for 5 -- panel_closed || fail "the panel did not close on Escape: $(window_box "$panel")"
  sleep 0.5
  type_keys z
  zx_wait_for 3 -- grep -q z "$typed" || fail "after the panel closed $terminal got [$(cat "$typed")], expected [az]"
}
case_typing_into_panel() { typing_with xterm zarvik-typing-xterm; }
run_case typing-into-panel case_typing_into_panel
case_typing_into_panel_native() { typing_with foot zarvik-typing-foot; }
run_case typing-into-panel-native case_typing_into_panel_native

# With an X11 program in front the handle's right-click menu still comes up (the way to the
# tray's menu where there is none), and a click on the handle then opens the panel.
case_handle_menu_terminal_in_front() {
  local term
  spawn xterm -T zarvik-menu-xterm -e sleep 600
  term=$!
  pids+=($term)
  if zx_wait_for 10 -- x xdotool search --name '^zarvik-menu-xterm$'; then
    sleep 1
    click_handle rclick
    zx_wait_for 5 -- menu_window || fail "no menu after a right click on the handle with xterm in front"
    click_handle
    zx_wait_for 5 -- panel_open || fail "a click on the handle did not open the panel: $(window_box "$panel")"
    sleep 1
    click_handle
    zx_wait_for 5 -- panel_closed || fail "the panel did not close after a click on its handle: $(window_box "$panel")"
  else
    fail "xterm did not come up"
  fi
  kill "$term" 2>/dev/null
  zx_wait_for 5 -- sh -c "! kill -0 $term 2>/dev/null"
  cursor_to 100 100
}
run_case handle-menu-terminal-in-front case_handle_menu_terminal_in_front

case_native_copy() {
  wl_copy house
  zx_wait_for 5 -- strip_shown || fail "no strip after wl-copy house"
  local text gx gy
  text=$(strip_text)
  [[ "$text" == "house - дом"* ]] || fail "strip shows [$text], expected house - дом…"
  read -r gx gy < <(geometry "$strip")
  # The pointer is over no X11 window: the strip's left end at the middle, near the bottom.
  [ "$gx" -eq $((SCREEN_W / 2)) ] && [ "$gy" -eq $((SCREEN_H - SCREEN_H / 8)) ] ||
    fail "strip at $gx,$gy, expected $((SCREEN_W / 2)),$((SCREEN_H - SCREEN_H / 8))"
  shot sway-native-copy
  zx_wait_for 6 -- strip_parked || fail "the strip did not go after three seconds"
}
run_case native-copy case_native_copy

case_native_word_selected() {
  wl_copy --primary books
  zx_wait_for 5 -- strip_shown || fail "no strip after a selected word"
  local text
  text=$(strip_text)
  [[ "$text" == "book - книга"* ]] || fail "strip shows [$text], expected book - книга…"
  # No keystroke, no clipboard: the user's copy is still there.
  [ "$(as_user timeout 5 wl-paste --no-newline 2>/dev/null)" = house ] || fail "the clipboard changed"
  shot sway-native-word
  zx_wait_for 6 -- strip_parked || fail "the strip did not go after three seconds"
}
run_case native-word-selected case_native_word_selected

case_native_words_selected() {
  wl_copy --primary "two words"
  sleep 1.5
  strip_parked || fail "a strip for two words: [$(strip_text)]"
}
run_case native-two-words case_native_words_selected

case_x11_double_click() {
  # The user's text on the clipboard, copied in a native program (its strip is let go first).
  wl_copy "$USER_TEXT"
  zx_wait_for 5 -- strip_shown
  zx_wait_for 6 -- strip_parked
  spawn xterm -T zarvik-xterm -fa DejaVuSansMono -fs 14 -e sh -c 'echo house; exec sleep 600'
  pids+=($!)
  zx_wait_for 10 -- x xdotool search --name '^zarvik-xterm$' || fail "xterm did not come up"
  sleep 1
  # sway tiles the xterm over the whole workspace; "house" is in its first line.
  cursor_to 30 12
  # A first click gives xterm the keyboard; the double-click comes well after it.
  pointer click
  sleep 0.8
  pointer double
  if ! zx_wait_for 8 -- strip_shown; then
    fail "no strip after a double-click in xterm"
    # What Zarvik had to go by: the window in front, and the word xterm selected.
    echo "     in front: $(x xprop -root _NET_ACTIVE_WINDOW 2>&1); input focus: $(x xdotool getwindowfocus 2>&1)"
    echo "     xterm: $(x xdotool search --name '^zarvik-xterm$' 2>&1)"
    echo "     PRIMARY: [$(x timeout 3 xclip -o -selection primary 2>&1)]"
  fi
  local text gx gy
  text=$(strip_text)
  [[ "$text" == "house - дом"* ]] || fail "strip shows [$text], expected house - дом…"
  read -r gx gy < <(geometry "$strip")
  # Beside the pointer: 16 pixels right of it, level with it.
  [ "$gx" -eq 46 ] && [ "$gy" -eq 12 ] || fail "strip at $gx,$gy, expected 46,12 (beside the pointer)"
  shot sway-x11-double-click
  sleep 1
  local clip
  clip=$(as_user timeout 5 wl-paste --no-newline 2>/dev/null)
  [ "$clip" = "$USER_TEXT" ] || fail "clipboard after the capture: [$clip], expected [$USER_TEXT]"
}
run_case x11-double-click case_x11_double_click

# A second Zarvik, on a session bus where a notification-area host runs: its tray icon is a
# StatusNotifierItem registered with the host, with the tip "Zarvik 5.0".
case_tray() {
  local bus="unix:path=$work/run/test-bus" service tip
  spawn dbus-daemon --session --nofork --nopidfile --address="$bus" >"$work/dbus.log" 2>&1
  pids+=($!)
  zx_wait_for 10 -- test -S "$work/run/test-bus" || { fail "no session bus"; return; }
  spawn DBUS_SESSION_BUS_ADDRESS="$bus" "$work/sni_watcher" >"$work/watcher.out" 2>&1
  pids+=($!)
  zx_wait_for 10 -- grep -qx ready "$work/watcher.out" || { fail "no host: $(cat "$work/watcher.out")"; return; }
  spawn DBUS_SESSION_BUS_ADDRESS="$bus" ZARVIK_OFFLINE=1 "$work/program/zarvik" >"$work/zarvik2.log" 2>&1
  pids+=($!)
  if ! zx_wait_for 15 -- grep -q '^registered ' "$work/watcher.out"; then
    fail "no StatusNotifierItem registered; Zarvik said: $(cat "$work/zarvik2.log")"
    return
  fi
  service=$(sed -n 's/^registered //p' "$work/watcher.out" | head -1)
  tip=$(as_user DBUS_SESSION_BUS_ADDRESS="$bus" timeout 5 gdbus call --session --dest "$service" \
    --object-path /StatusNotifierItem --method org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierItem ToolTip 2>&1)
  [[ "$tip" == *"Zarvik 5.0"* ]] || fail "the item's tool tip: $tip"
  grep -q 'no notification area' "$work/zarvik2.log" && fail "Zarvik says there is no notification area"
  echo "     item $service, tool tip $tip"
}
run_case tray case_tray

kill -0 "$zarvik_pid" 2>/dev/null || { echo "Zarvik ended during the run:"; cat "$ZX_CASE_LOG"; }
zx_summary
