#!/usr/bin/env bash
# Several monitors and scale factors, end to end: the real program, monitors made with
# `xrandr --setmonitor`, a Tk text window moved from monitor to monitor, xdotool as the user.
#   screens.sh layouts ZARVIK SAMPLE_BDD   (with-x.sh --wm --screen 2560x2048)
#   screens.sh scales ZARVIK SAMPLE_BDD    (with-x.sh --wm --screen 1600x1000)
set -u
mode=${1:-}
shift
source "$(dirname "$0")/../popup/common.sh"

ZARVIK_ARTIFACTS=${ZARVIK_ARTIFACTS:-$ZX_LIB_DIR/../../../build/artifacts}
ZX_CASE_PREFIX=screens
ZX_CASE_LOG=$zp_tmp/zarvik.log

# --- monitors ---

# Names of the monitors this script defined, so that the next layout replaces them.
monitor_names=()
# The layout now in force: "NAME X Y W H" per monitor.
layout=()

# set_monitors DEFINITION...: each is "NAME WxH+X+Y", a leading * marks the primary. The first one
# takes the server's one output, so that no monitor of the whole screen is left beside them.
set_monitors() {
  local name def geometry w h x y output=screen bare
  for name in "${monitor_names[@]}"; do
    xrandr --delmonitor "$name" >/dev/null 2>&1
  done
  monitor_names=()
  layout=()
  for def in "$@"; do
    read -r name geometry <<<"$def"
    IFS='x+' read -r w h x y <<<"$geometry"
    xrandr --setmonitor "$name" "$w/300x$h/200+$x+$y" "$output" >/dev/null || return 1
    output=none
    bare=${name#\*}
    monitor_names+=("$bare")
    layout+=("$bare $x $y $w $h")
  done
}

# del_monitor NAME: takes one monitor away, as an undocking does.
del_monitor() {
  local i kept=()
  xrandr --delmonitor "$1" >/dev/null || return 1
  for i in "${layout[@]}"; do
    [ "${i%% *}" = "$1" ] || kept+=("$i")
  done
  layout=("${kept[@]}")
}

# monitor NAME: "X Y W H" of a monitor of the layout.
monitor() {
  local i
  for i in "${layout[@]}"; do
    [ "${i%% *}" = "$1" ] && { echo "${i#* }"; return 0; }
  done
  return 1
}

# --- windows ---

# "X Y W H" of a window on the screen, in device pixels.
window_geometry() {
  timeout 5 xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ { x = $NF }
    /Absolute upper-left Y:/ { y = $NF }
    /^  Width:/ { w = $NF }
    /^  Height:/ { h = $NF }
    END { if (x == "") exit 1; print x, y, w, h }'
}

# The rectangles overlap (X Y W H each).
overlaps() {
  local ax=$1 ay=$2 aw=$3 ah=$4 bx=$5 by=$6 bw=$7 bh=$8
  [ "$ax" -lt $((bx + bw)) ] && [ "$bx" -lt $((ax + aw)) ] && [ "$ay" -lt $((by + bh)) ] && [ "$by" -lt $((ay + ah)) ]
}

# panel_is_closed_on NAME: what shows of the panel is the handle alone (17 pixels) at the right
# edge of monitor NAME, within its rows, and nothing of it lies on another monitor.
panel_is_closed_on() {
  local px py pw ph mx my mw mh other ox oy ow oh
  read -r px py pw ph < <(window_geometry "$panel") || return 1
  read -r mx my mw mh < <(monitor "$1")
  [ "$px" -eq $((mx + mw - 17)) ] && [ "$py" -ge "$my" ] && [ $((py + ph)) -le $((my + mh)) ] || return 1
  for other in "${layout[@]}"; do
    [ "${other%% *}" = "$1" ] && continue
    read -r _ ox oy ow oh <<<"$other"
    overlaps "$px" "$py" "$pw" "$ph" "$ox" "$oy" "$ow" "$oh" && return 1
  done
  return 0
}

# panel_is_open_on NAME: the whole panel lies on monitor NAME, against its right edge.
panel_is_open_on() {
  local px py pw ph mx my mw mh
  read -r px py pw ph < <(window_geometry "$panel") || return 1
  read -r mx my mw mh < <(monitor "$1")
  [ "$px" -eq $((mx + mw - 383)) ] && [ "$py" -ge "$my" ] && [ $((py + ph)) -le $((my + mh)) ]
}

# expect_panel closed|open NAME [SECONDS]
expect_panel() {
  if ! zx_wait_for "${3:-5}" -- "panel_is_$1_on" "$2"; then
    fail "the $1 panel is not where it belongs on monitor $2 ($(monitor "$2")): 'x y w h' = '$(window_geometry "$panel")'"
    return 1
  fi
}

# The text window on monitor NAME, 100 pixels in from its corner (DY more down).
text_window_at=""
text_window_to() {
  local mx my mw mh dy=${2:-0} target
  read -r mx my mw mh < <(monitor "$1")
  target="$((mx + 100)) $((my + 100 + dy))"
  # xdotool's --sync waits for a move, which never comes when the window is there already.
  if [ "$target" != "$text_window_at" ]; then
    # shellcheck disable=SC2086
    timeout 10 xdotool windowmove --sync "$ZP_WISH" $target >/dev/null 2>&1
    text_window_at=$target
  fi
  zx_wait_for 5 -- window_on "$ZP_WISH" "$mx" "$my" "$mw" "$mh"
}
window_on() {
  local x y w h
  read -r x y w h < <(window_geometry "$1") || return 1
  [ "$x" -ge "$2" ] && [ "$y" -ge "$3" ] && [ $((x + w)) -le $(($2 + $4)) ] && [ $((y + h)) -le $(($3 + $5)) ]
}

# A double-click at X Y. zx_double_click's move waits for a motion, which never comes when the
# pointer stands there already (the same word at the same place in the case before).
double_click_at() {
  pointer_to "$1" "$2"
  xdotool click --repeat 2 --delay 80 1
}

# Parks a strip left on the screen and lets the double-click time run out.
settle_strip() {
  local wx wy
  if ! zp_strip_parked; then
    read -r wx wy < <(zp_geometry "$ZP_WISH")
    xdotool mousemove --sync $((wx + 360)) $((wy + 100)) click 1
    zx_wait_for 5 -- zp_strip_parked
  fi
  sleep "$ZP_GESTURE_GAP"
}

# double_click_on NAME: double-clicks "cat" in the text window moved onto monitor NAME; the
# strip must come up beside the pointer, on that monitor.
double_click_on() {
  local px py mx my mw mh
  text_window_to "$1" || { fail "the text window did not move onto monitor $1"; return 1; }
  settle_strip
  read -r px py < <(zp_word_at cat)
  double_click_at "$px" "$py"
  zp_expect_strip "cat - кошка; кот  " $((px + 16)) "$py" || return 1
  read -r mx my mw mh < <(monitor "$1")
  window_on "$ZP_STRIP" "$mx" "$my" "$mw" "$mh" || fail "the strip is not wholly on monitor $1: $(window_geometry "$ZP_STRIP")"
}

start_with_panel() {
  zp_start_zarvik "ShowPanel=1" "hide5sec=0" || { fail "zarvik did not start"; return 1; }
  panel=""
  zx_wait_for 10 -- find_panel || { fail "no panel window"; return 1; }
}

click_handle() {
  local px py
  read -r px py _ < <(window_geometry "$panel")
  xdotool mousemove --sync $((px + 8)) $((py + 12)) click 1
  sleep "$ZP_GESTURE_GAP"
}

# --- the table of layouts ---

# layout_case LABEL PANEL_MONITOR SHOT DEFINITION...: the panel closed and open on PANEL_MONITOR,
# and a double-click on every monitor. SHOT names screenshots of the last strip and of the
# open panel ("-": none).
layout_case() {
  local label=$1 home=$2 shot=$3 name
  shift 3
  set_monitors "$@" || { fail "xrandr could not set the monitors"; return; }
  start_with_panel || return
  expect_panel closed "$home"
  for name in "${monitor_names[@]}"; do
    double_click_on "$name"
  done
  [ "$shot" = - ] || zx_screenshot "$shot-strip"
  settle_strip
  click_handle
  if expect_panel open "$home"; then
    [ "$shot" = - ] || zx_screenshot "$shot-panel"
  fi
  click_handle
  expect_panel closed "$home"
}

case_side_by_side() {
  layout_case side-by-side R screens-two-monitors "*L 1280x1024+0+0" "R 1280x800+1280+0"
}
case_left_of_primary() {
  layout_case left-of-primary P - "W 1280x1024+0+0" "*P 1280x1024+1280+0"
}
case_stacked() {
  layout_case stacked U - "*U 1280x1024+0+0" "D 1280x1024+0+1024"
}
# A laptop undocked: the right monitor goes while the panel is open; it comes to the edge of
# the one left, within a second, and the strip keeps to the monitors of the moment.
case_removed() {
  set_monitors "*L 1280x1024+0+0" "R 1280x1024+1280+0" || { fail "xrandr could not set the monitors"; return; }
  start_with_panel || return
  expect_panel closed R
  click_handle
  expect_panel open R || return
  del_monitor R
  expect_panel open L 1
  click_handle
  expect_panel closed L
  double_click_on L
}

# --- the table of scale factors ---

# case_scale: at the factor in `factor`, the strip beside the pointer, in the lower half of the screen, where a
# pointer taken in device pixels pushed it to the bottom edge.
case_scale() {
  local f=$factor px py sx sy
  export QT_SCALE_FACTOR=$f
  zp_start_zarvik "ShowPanel=0"
  local started=$?
  unset QT_SCALE_FACTOR
  [ "$started" = 0 ] || { fail "zarvik did not start at factor $f"; return; }
  layout=("screen 0 0 1600 1000")
  text_window_to screen 500 || { fail "the text window did not move"; return; }
  settle_strip
  read -r px py < <(zp_word_at cat)
  double_click_at "$px" "$py"
  if ! zx_wait_for 5 -- zp_strip_shown; then
    fail "no strip at factor $f"
    return
  fi
  sleep 0.3
  read -r sx sy _ < <(window_geometry "$ZP_STRIP")
  # Within two logical pixels of 16 right of the pointer, level with it.
  if ! awk -v f="$f" -v px="$px" -v py="$py" -v sx="$sx" -v sy="$sy" \
      'function abs(v) { return v < 0 ? -v : v }
       BEGIN { exit !(abs(sx / f - (px / f + 16)) <= 2 && abs(sy / f - py / f) <= 2) }'; then
    fail "factor $f: pointer at ($px, $py), strip at ($sx, $sy) device pixels; expected 16 logical pixels right of the pointer, level with it"
  fi
  [ "$f" = 2 ] && zx_screenshot screens-factor-2
}

zp_program_folder
zp_word_window "Books on the red table, cat xyzzy" || exit 1
case $mode in
  layouts)
    run_case side-by-side case_side_by_side
    zp_stop_zarvik
    run_case left-of-primary case_left_of_primary
    zp_stop_zarvik
    run_case stacked case_stacked
    zp_stop_zarvik
    run_case removed-while-running case_removed
    ;;
  scales)
    for factor in 1 1.5 2; do
      run_case "factor-$factor" case_scale
      zp_stop_zarvik
    done
    ;;
  *)
    echo "usage: $0 layouts|scales ZARVIK SAMPLE_BDD" >&2
    exit 2
    ;;
esac
zx_summary
