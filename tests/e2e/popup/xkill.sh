#!/usr/bin/env bash
# Losing the X server ends Zarvik cleanly (not part of the suite). Each run starts a private
# Xvfb and Zarvik (best with the sanitizer build), lets it settle (every third run in the middle
# of a capture's copy), kills the server with SIGKILL and looks at how Zarvik ended: its exit
# status and what it said (a sanitizer report, "double free", a signal).
#   xkill.sh ZARVIK_EXECUTABLE SAMPLE_BDD [RUNS (30)]
set -u
exe=$1 sample=$2 runs=${3:-30}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-xkill.XXXXXX")
xvfb_pid="" zarvik_pid=""
cleanup() {
  [ -n "$zarvik_pid" ] && kill -9 "$zarvik_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill -9 "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/program/skins" "$work/config/Zarvik5"
cp "$exe" "$work/program/zarvik"
cp "$sample" "$work/program/zarvik.bdd"
cp "$here/../../../data/null.wav" "$work/program/null.wav"
printf '[Options]\nShowSplash=0\nShowPanel=0\n' >"$work/config/Zarvik5/Zarvik5.ini"
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data ZARVIK_OFFLINE=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

clean=0 unclean=0
for ((run = 1; run <= runs; run++)); do
  rm -f "$work/fifo"
  mkfifo "$work/fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  exec 4<"$work/fifo"
  display=""
  read -r -t 15 display <&4
  exec 4<&-
  [ -n "$display" ] || { echo "run $run: Xvfb did not start"; unclean=$((unclean + 1)); continue; }
  export DISPLAY=:$display
  printf 'user text %s' "$run" | timeout 60 xclip -selection clipboard -i -quiet 2>/dev/null &
  "$work/program/zarvik" >"$work/out.log" 2>&1 &
  zarvik_pid=$!
  sleep 2.5
  if ((run % 3 == 0)); then
    # A double-click: the kill lands during the capture's pause.
    xdotool mousemove 100 100 click --repeat 2 --delay 80 1 2>/dev/null
    sleep 0.1
  fi
  kill -9 "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
  status=""
  for _ in $(seq 100); do
    kill -0 "$zarvik_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$zarvik_pid" 2>/dev/null; then
    kill -9 "$zarvik_pid"
    status=hung
  fi
  wait "$zarvik_pid" 2>/dev/null
  code=$?
  zarvik_pid=""
  [ -n "$status" ] || status=$code
  [ -n "${XKILL_SHOW:-}" ] && { echo "run $run: status $status"; sed "s/^/    /" "$work/out.log"; }
  if [ "$status" = 1 ] && ! grep -qiE 'sanitizer|double free|corruption|segmentation|abort' "$work/out.log"; then
    clean=$((clean + 1))
  else
    unclean=$((unclean + 1))
    echo "run $run: status $status"
    sed 's/^/    /' "$work/out.log" | head -20
  fi
done
echo "X server killed $runs times: $clean clean exits, $unclean not clean"
[ "$unclean" -eq 0 ]
