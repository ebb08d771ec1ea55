#!/usr/bin/env bash
# Runs inside an X session (see run-idle.sh): the resident program and the floor side by side
# for the same idle window, so both see the same machine noise; then a double-click
# translation and a panel search in the same program, to show the quiet one still works.
#   idle-inner.sh BUILD_DIR SECONDS
# Prints key=value lines; exits 1 when the program fails to translate or to search.
set -euo pipefail
build=$1
secs=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_RUNTIME_DIR=$tmp/runtime ZARVIK_OFFLINE=1
mkdir -p "$XDG_CONFIG_HOME/Zarvik5" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Options]\nShowSplash=0\nShowPanel=1\n' >"$XDG_CONFIG_HOME/Zarvik5/Zarvik5.ini"

source "$root/tests/e2e/lib/x11.sh"

# An ordinary desktop moment: another program's text window has the keyboard. It also says
# where its words lie, for the double-click afterwards.
wish "$root/tests/e2e/popup/wordwindow.tcl" "idle-words" "the cat sat on the table" >"$tmp/words.log" 2>&1 &
pids+=($!)
zx_wait_for 10 -- grep -qx "words done" "$tmp/words.log" || { echo "the text window did not start" >&2; exit 1; }
window=$(timeout 10 xdotool search --sync --name '^idle-words$' | head -1)

"$build/program/zarvik" >"$tmp/zarvik.log" 2>&1 & pids+=($!)
zarvik=$!
"$build/bench/idle_floor" & pids+=($!)
floor=$!
sleep 3
zx_activate "$window"
sleep 1

# Over every thread of a process: context switches (each one a wake-up or a preemption), CPU
# time in nanoseconds (the scheduler's own account, far finer than the 10 ms ticks of
# /proc/PID/stat), and the resident memory of the process.
switches() { cat /proc/"$1"/task/*/status | awk '/^(non)?voluntary_ctxt_switches/ { s += $2 } END { print s + 0 }'; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }
rss_kb() { awk '/^VmRSS/ { print $2 }' /proc/"$1"/status; }

zs0=$(switches "$zarvik"); fs0=$(switches "$floor")
zc0=$(cpu_ns "$zarvik"); fc0=$(cpu_ns "$floor")
t0=$EPOCHREALTIME
sleep "$secs"
zs1=$(switches "$zarvik"); fs1=$(switches "$floor")
zc1=$(cpu_ns "$zarvik"); fc1=$(cpu_ns "$floor")
t1=$EPOCHREALTIME
zr=$(rss_kb "$zarvik"); fr=$(rss_kb "$floor")

awk -v t0="$t0" -v t1="$t1" -v zs=$((zs1 - zs0)) -v fs=$((fs1 - fs0)) -v zc=$((zc1 - zc0)) -v fc=$((fc1 - fc0)) \
    -v zr="$zr" -v fr="$fr" 'BEGIN {
    s = t1 - t0
    printf "idle_seconds=%.1f\n", s
    printf "zarvik_wakeups_per_s=%.2f\n", zs / s
    printf "floor_wakeups_per_s=%.2f\n", fs / s
    printf "zarvik_cpu_percent=%.4f\n", 100 * zc / 1e9 / s
    printf "floor_cpu_percent=%.4f\n", 100 * fc / 1e9 / s
    printf "zarvik_cpu_of_floor_percent=%.2f\n", (fc > 0 ? 100 * zc / fc : 0)
    printf "zarvik_rss_kb=%d\n", zr
    printf "floor_rss_kb=%d\n", fr
}'

# --- the same program, right after the idle window ---
status=0

# A double-click on "cat": the strip comes up with its translation.
strip_line() {
  local w name
  for w in $(xdotool search --classname '^zarvik$' 2>/dev/null); do
    name=$(xdotool getwindowname "$w" 2>/dev/null) || continue
    case $name in "cat - "*) echo "$name"; return 0 ;; esac
  done
  return 1
}
read -r wx wy < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
read -r cx cy < <(awk '$1 == "word" && $2 == "cat" {print $3, $4; exit}' "$tmp/words.log")
zx_double_click $((wx + cx)) $((wy + cy))
if zx_wait_for 5 -- strip_line; then
  echo "double_click_translation=ok"
else
  echo "double_click_translation=FAILED"
  status=1
fi

# The panel: a click on its handle slides it open, typing lists the entries.
panel=""
for w in $(xdotool search --classname '^zarvik$' 2>/dev/null); do
  if xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 383$'; then panel=$w; fi
done
panel_geometry() {
  xwininfo -id "$panel" 2>/dev/null | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /^  Height:/ {h = $NF} END {print x, y, h}'
}
panel_open() { local x y h; read -r x y h < <(panel_geometry); [ "$x" -le $((1280 - 383)) ]; }
# The strip alone is 25 pixels high; a list of several lines makes the panel taller.
panel_lists() { local x y h; read -r x y h < <(panel_geometry); [ "$h" -gt 60 ]; }
sleep 1 # so the click on the handle does not pair with the double-click
searched=0
if [ -n "$panel" ]; then
  read -r px py _ < <(panel_geometry)
  xdotool mousemove --sync $((px + 8)) $((py + 12)) click 1
  if zx_wait_for 5 -- panel_open; then
    xdotool type --delay 40 -- "ca"
    zx_wait_for 5 -- panel_lists && searched=1
    xdotool key Escape
  fi
fi
if [ "$searched" = 1 ]; then
  echo "panel_search=ok"
else
  echo "panel_search=FAILED"
  status=1
fi
kill -0 "$zarvik" 2>/dev/null || { echo "zarvik is gone; it said:" >&2; cat "$tmp/zarvik.log" >&2; exit 1; }

# Back to sleep after use: once every timeout has run out (the strip's 3 s, the panel's 7 s
# auto-hide), nothing of ours may keep ticking.
sleep 8
after=10
zs0=$(switches "$zarvik")
sleep "$after"
zs1=$(switches "$zarvik")
awk -v n=$((zs1 - zs0)) -v s="$after" 'BEGIN { printf "zarvik_wakeups_per_s_after_use=%.2f\n", n / s }'
exit "$status"
