#!/usr/bin/env bash
# Runs one command on a private X server: with-x.sh [--wm] [--tray] [--screen WxH] -- CMD ARGS...
#
# Starts Xvfb on a display number the server picks itself (-displayfd), so parallel runs never
# collide; optionally openbox (--wm) and trayer (--tray, which needs a window manager too);
# waits until each is ready, runs the command with DISPLAY set, and always stops what it started.
# On failure a screenshot of the whole screen goes to $ZARVIK_ARTIFACTS, by default the
# folder build/artifacts of the source tree (tests run from deep inside the build tree).
# Exit status: the command's, or 125 when the X server or a helper could not be started.
set -u

want_wm=0
want_tray=0
# The whole screen; tests that split it into several monitors with xrandr ask for a larger one.
screen_size=1280x1024
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) want_wm=1 ;;
    --tray) want_tray=1; want_wm=1 ;;
    --screen) shift; screen_size=${1:-} ;;
    --) shift; break ;;
    *) echo "with-x.sh: unknown option $1" >&2; exit 125 ;;
  esac
  shift
done
if [ $# -eq 0 ]; then
  echo "usage: with-x.sh [--wm] [--tray] [--screen WxH] -- CMD ARGS..." >&2
  exit 125
fi

workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-x.XXXXXX") || exit 125
pids=()
command_pid=""

# Time in microseconds: deadline SECONDS prints the moment that many seconds from now.
deadline() { echo $((${EPOCHREALTIME/./} + $1 * 1000000)); }
past() { [ "${EPOCHREALTIME/./}" -ge "$1" ]; }

cleanup() {
  local pid until
  # The command runs in a process group of its own: whatever it left behind goes with it.
  [ -n "$command_pid" ] && kill -- "-$command_pid" 2>/dev/null
  # Newest first: the tray host and the window manager go before their server.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[$i]}
    kill "$pid" 2>/dev/null
  done
  for pid in "${pids[@]}"; do
    until=$(deadline 3)
    while kill -0 "$pid" 2>/dev/null && ! past "$until"; do
      sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  [ -n "$command_pid" ] && kill -9 -- "-$command_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to 10 s for a condition given as a command (each try bounded to 5 s).
wait_for() {
  local until
  until=$(deadline 10)
  while true; do
    timeout 5 "$@" >/dev/null 2>&1 && return 0
    past "$until" && return 1
    sleep 0.05
  done
}

# --- the X server ---
mkfifo "$workdir/displayfd" || exit 125
# -nolisten tcp: nothing but local clients may connect. -noreset: the server survives its
# last client going away between two steps of a test.
Xvfb -displayfd 3 -screen 0 "${screen_size}x24" -nolisten tcp -noreset +extension XInputExtension \
  3>"$workdir/displayfd" >"$workdir/xvfb.log" 2>&1 &
pids+=($!)
display_number=""
# The read end blocks until Xvfb writes its number; a server that dies closes the pipe.
exec 4<"$workdir/displayfd"
read -r -t 15 display_number <&4
exec 4<&-
if [ -z "$display_number" ]; then
  echo "with-x.sh: Xvfb did not start:" >&2
  cat "$workdir/xvfb.log" >&2
  exit 125
fi
export DISPLAY=":$display_number"
unset WAYLAND_DISPLAY
if ! wait_for xdpyinfo; then
  echo "with-x.sh: display $DISPLAY does not answer" >&2
  exit 125
fi

# --- the window manager ---
if [ "$want_wm" = 1 ]; then
  # The packaged rc.xml: an empty file would make openbox open an error dialog on the screen.
  openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
  pids+=($!)
  # openbox announces itself through _NET_SUPPORTING_WM_CHECK once it manages the screen.
  if ! wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'; then
    echo "with-x.sh: openbox did not start:" >&2
    cat "$workdir/openbox.log" >&2
    exit 125
  fi
fi

# --- the tray host ---
if [ "$want_tray" = 1 ]; then
  trayer --edge top --align right --widthtype pixel --width 200 --height 24 \
    >"$workdir/trayer.log" 2>&1 &
  pids+=($!)
  # A system tray host owns the selection _NET_SYSTEM_TRAY_S0.
  if ! wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null && xdotool search --class trayer | grep -q .'; then
    echo "with-x.sh: trayer did not start:" >&2
    cat "$workdir/trayer.log" >&2
    exit 125
  fi
fi

# --- the command ---
# In the background so that a TERM from the test driver reaches the traps at once, and in a
# process group of its own (this shell has no job control, so setsid needs no fork and the
# pid is the command's) so that the cleanup ends whatever it started.
setsid "$@" &
command_pid=$!
pids+=("$command_pid")
wait "$command_pid"
status=$?

if [ "$status" -ne 0 ]; then
  artifacts=${ZARVIK_ARTIFACTS:-$(cd "$(dirname "$0")/.." && pwd)/build/artifacts}
  mkdir -p "$artifacts" 2>/dev/null
  name=$(basename "$1")-$(date +%Y%m%d-%H%M%S)-$$.png
  if timeout 10 import -window root "$artifacts/$name" 2>/dev/null; then
    echo "with-x.sh: screenshot of the failure: $artifacts/$name" >&2
  fi
fi
exit "$status"
