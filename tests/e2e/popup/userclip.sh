#!/usr/bin/env bash
# The user's clipboard is never lost, end to end, with real owners: xclip, a slow owner that
# answers late and sends in pieces, a Tk program with rich text. After each capture every
# target of the clipboard is byte for byte what it was before (TARGETS and each target's
# bytes), or empty where it was empty; after "Выход" and after SIGTERM, with no clipboard
# manager, the text is still pasteable. Run it through tests/with-x.sh --tray:
#   userclip.sh ZARVIK_EXECUTABLE SAMPLE_BDD SLOW_OWNER CLIPBOARD_MANAGER
set -u
slow_owner_exe=${3:-}
manager_exe=${4:-}
source "$(dirname "$0")/common.sh"
[ -x "$slow_owner_exe" ] && [ -x "$manager_exe" ] ||
  { echo "usage: $0 ZARVIK SAMPLE_BDD SLOW_OWNER CLIPBOARD_MANAGER" >&2; exit 2; }

owner_pid=""
owner_log=$zp_tmp/owner.log
stop_owner() {
  if [ -n "$owner_pid" ]; then
    kill "$owner_pid" 2>/dev/null
    wait "$owner_pid" 2>/dev/null
    owner_pid=""
  fi
}
# Whatever a case left running goes with the script, on every exit path.
keeper_pids() { pgrep -f "^$zp_tmp/program/zarvik --keep-clipboard" 2>/dev/null; }
no_keeper() { [ -z "$(keeper_pids)" ]; }
userclip_cleanup() {
  stop_owner
  local pid
  for pid in $(keeper_pids); do kill "$pid" 2>/dev/null; done
  zp_cleanup
}
trap userclip_cleanup EXIT

# slow_owner DELAY_MS PIECE_BYTES PIECE_DELAY_MS TARGET FILE...: a slow owner takes the
# clipboard (waits until it has).
slow_owner() {
  stop_owner
  : >"$owner_log"
  "$slow_owner_exe" "$@" >"$owner_log" 2>&1 &
  owner_pid=$!
  zx_wait_for 5 -- grep -qx ready "$owner_log"
}

# clip_state: the clipboard's TARGETS and a checksum of each target's bytes, a line each;
# "empty" when nobody owns the clipboard. TIMESTAMP names the moment of a copy (ours is
# later by nature) and the other meta targets hold no content: their bytes are not compared.
clip_state() {
  local list t sum
  list=$(timeout 20 xclip -o -selection clipboard -t TARGETS 2>/dev/null) || { echo empty; return; }
  [ -n "$list" ] || { echo empty; return; }
  echo "TARGETS:" $list
  for t in $list; do
    case $t in TARGETS | MULTIPLE | TIMESTAMP | SAVE_TARGETS | DELETE | INSERT_SELECTION | INSERT_PROPERTY) continue ;; esac
    sum=$(timeout 60 xclip -o -selection clipboard -t "$t" 2>/dev/null | md5sum | cut -c1-32)
    echo "$t $sum"
  done
}

clipboard_is_empty() { [ "$(clip_state)" = empty ]; }

# expect_state BEFORE: the clipboard is as BEFORE (a clip_state).
expect_state() {
  local after
  after=$(clip_state)
  if [ "$after" != "$1" ]; then
    zp_fail "the clipboard changed: before [$(echo "$1" | tr '\n' ';')] after [$(echo "$after" | tr '\n' ';')]"
  fi
}

double_click() {
  read -r PX PY < <(zp_word_at "$1")
  zx_double_click "$PX" "$PY"
}
settle() {
  zx_wait_for 6 -- zp_strip_parked
  sleep "$ZP_GESTURE_GAP"
}

zp_program_folder
zp_word_window "Books on the red table, cat xyzzy" || exit 1
zp_start_zarvik "ShowPanel=0" || exit 1

# ---------------------------------------------------------------- a copy still on its way
printf 'RACE-USER-TEXT-0123' >"$zp_tmp/race.txt"
for run in 1 2 3; do
  zp_case "a copy still on its way is the user's, not the word (run $run)"
  settle
  slow_owner 300 65536 0 UTF8_STRING "$zp_tmp/race.txt" STRING "$zp_tmp/race.txt"
  before=$(clip_state)
  # A fresh owner, and the double-click 0.1 s after its copy.
  slow_owner 300 65536 0 UTF8_STRING "$zp_tmp/race.txt" STRING "$zp_tmp/race.txt"
  sleep 0.1
  double_click red
  zp_expect_strip "red - красный  " $((PX + 16)) "$PY"
  sleep 0.5
  expect_state "$before"
  zp_end_case
done

# ---------------------------------------------------------------- an empty clipboard
zp_case "an empty clipboard stays empty"
settle
stop_owner
printf 'SECRET-PASSWORD-42' | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
owner_pid=$!
zx_wait_for 5 -- clipboard_is SECRET-PASSWORD-42
stop_owner
zx_wait_for 5 -- clipboard_is_empty || zp_fail "the clipboard is not empty after its owner ended"
double_click table
zp_expect_strip "table - стол; таблица  " $((PX + 16)) "$PY"
sleep 0.5
expect_state empty
zp_end_case

zp_case "an owner that ends half-way leaves the clipboard empty, not older"
settle
zx_clipboard_set "older text"
head -c 1000000 /dev/zero | tr '\0' 'o' >"$zp_tmp/1mb.txt"
slow_owner 0 65536 250 UTF8_STRING "$zp_tmp/1mb.txt"
sleep 0.3
double_click cat
sleep 0.8
stop_owner
zp_wait_shown 5 || true
sleep 0.5
expect_state empty
zp_end_case

# ---------------------------------------------------------------- slow and piecewise owners
zp_case "a 1 MB copy in 64 KB pieces every 250 ms is kept whole or left alone"
settle
slow_owner 50 65536 250 UTF8_STRING "$zp_tmp/1mb.txt" STRING "$zp_tmp/1mb.txt"
before=$(clip_state)
slow_owner 50 65536 250 UTF8_STRING "$zp_tmp/1mb.txt" STRING "$zp_tmp/1mb.txt"
sleep 0.3
double_click red
# Either the save completes within its limit, or the capture does not start.
sleep 4
expect_state "$before"
# Every piecewise transfer that was begun ran to its end: the owner is left waiting for no one.
sleep 2
grep -q stalled "$owner_log" && zp_fail "the slow owner was left waiting: $(tr '\n' ' ' <"$owner_log")"
zp_end_case
stop_owner

zp_case "a 20 MB rich copy of a Tk program, captured 0.3 s after the copy"
settle
yes '<b>Жирный</b> text и ещё немного текста, ' | head -c 20000000 >"$zp_tmp/rich.html"
yes 'Жирный text и ещё немного текста, ' | head -c 20000000 >"$zp_tmp/rich.txt"
wish "$ZP_DIR/richfiles.tcl" "$zp_tmp/rich.html" "$zp_tmp/rich.txt" >"$zp_tmp/rich.log" 2>&1 &
owner_pid=$!
zx_wait_for 30 -- grep -qx ready "$zp_tmp/rich.log" || zp_fail "the Tk program did not take the clipboard"
before=$(clip_state)
# The Tk program copies again (a fresh owner), and the double-click follows 0.3 s later.
stop_owner
wish "$ZP_DIR/richfiles.tcl" "$zp_tmp/rich.html" "$zp_tmp/rich.txt" >"$zp_tmp/rich.log" 2>&1 &
owner_pid=$!
zx_wait_for 30 -- grep -qx ready "$zp_tmp/rich.log"
sleep 0.3
double_click cat
sleep 4
expect_state "$before"
zp_end_case
stop_owner
rm -f "$zp_tmp/rich.html" "$zp_tmp/rich.txt"

zp_case "a 200 MB clipboard is left whole and readable"
settle
head -c 200000000 /dev/zero | tr '\0' 'z' >"$zp_tmp/200mb.txt"
xclip -selection clipboard -i -quiet "$zp_tmp/200mb.txt" >/dev/null 2>&1 &
owner_pid=$!
zx_wait_for 20 -- clipboard_offered
sleep 1
double_click red
sleep 4
size=$(timeout 60 xclip -o -selection clipboard 2>/dev/null | wc -c)
zp_expect_eq "bytes readable from the clipboard" 200000000 "$size"
zp_end_case
stop_owner
rm -f "$zp_tmp/200mb.txt"

# ---------------------------------------------------------------- Caps Lock
zp_start_zarvik "ShowPanel=0" "3clk=True" || exit 1
caps_on() { xset q | grep -q 'Caps Lock: *on'; }
zp_case "the Caps Lock mode leaves Caps Lock as it was"
settle
for lock in off on; do
  if [ "$lock" = on ]; then xdotool key Caps_Lock; fi
  [ "$lock" = on ] && ! caps_on && zp_fail "Caps Lock did not come on for the case"
  xdotool keydown Caps_Lock
  double_click red
  xdotool keyup Caps_Lock
  zp_expect_strip "red - красный  " $((PX + 16)) "$PY"
  sleep 0.3
  if [ "$lock" = on ]; then caps_on || zp_fail "Caps Lock was on and is now off"; else
    caps_on && zp_fail "Caps Lock was off and is now on"; fi
  settle
done
caps_on && xdotool key Caps_Lock
zp_end_case

# ---------------------------------------------------------------- the exit
# The tray menu's "Выход", chosen with the keyboard as the shell test does.
tray_icon_shown() { [ -n "$(tray_icon)" ]; }
choose_exit() {
  local x y w h
  zx_wait_for 10 -- tray_icon_shown || { zp_fail "no tray icon"; return 1; }
  read -r x y w h < <(tray_icon)
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 3
  sleep 0.8
  xdotool key --delay 150 Up Return
}
zarvik_ended() { ! kill -0 "$zp_zarvik_pid" 2>/dev/null; }

for how in menu SIGTERM; do
  zp_start_zarvik "ShowPanel=0" || exit 1
  zp_case "after a capture and the exit ($how) the user's copy is still pasteable"
  settle
  printf 'copied before the exit' | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
  owner_pid=$!
  zx_wait_for 5 -- clipboard_is "copied before the exit"
  before=$(clip_state)
  double_click table
  zp_expect_strip "table - стол; таблица  " $((PX + 16)) "$PY"
  sleep 0.5
  # The program that made the copy has ended: only Zarvik holds it now.
  stop_owner
  expect_state "$before"
  if [ "$how" = menu ]; then choose_exit; else kill -TERM "$zp_zarvik_pid"; fi
  zx_wait_for 10 -- zarvik_ended || zp_fail "Zarvik still runs 10 s after the exit"
  wait "$zp_zarvik_pid" 2>/dev/null
  zp_zarvik_pid=""
  expect_state "$before"
  zp_expect_eq "the pasted text" "copied before the exit" "$(zx_clipboard_get)"
  [ -n "$(keeper_pids)" ] || zp_fail "no keeper holds the clipboard"
  # The keeper goes once another program copies.
  zx_clipboard_set "a later copy"
  zx_wait_for 10 -- no_keeper || zp_fail "the keeper still runs after another copy"
  zp_end_case
done

zp_start_zarvik "ShowPanel=0" || exit 1
zp_case "SIGTERM hands the copy to a running clipboard manager"
settle
printf 'kept by the manager' | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
owner_pid=$!
zx_wait_for 5 -- clipboard_is "kept by the manager"
double_click table
zp_expect_strip "table - стол; таблица  " $((PX + 16)) "$PY"
sleep 0.5
stop_owner
"$manager_exe" >"$zp_tmp/manager.log" 2>&1 &
manager_pid=$!
zx_wait_for 5 -- grep -qx ready "$zp_tmp/manager.log" || zp_fail "the clipboard manager did not start"
kill -TERM "$zp_zarvik_pid"
zx_wait_for 10 -- zarvik_ended || zp_fail "Zarvik still runs 10 s after SIGTERM"
zp_zarvik_pid=""
zx_wait_for 5 -- sh -c "! kill -0 $manager_pid 2>/dev/null" || zp_fail "the manager was never asked to save"
kill "$manager_pid" 2>/dev/null
wait "$manager_pid" 2>/dev/null
grep -qx "UTF8_STRING $(printf 'kept by the manager' | od -An -v -tx1 | tr -d ' \n')" "$zp_tmp/manager.log" ||
  zp_fail "the manager did not get the text: $(tr '\n' ' ' <"$zp_tmp/manager.log")"
no_keeper || zp_fail "a keeper was left although the manager took the copy"
zp_end_case

zp_summary
