# Shell helpers for tests on a private X server (source it inside a command run by with-x.sh).
# Every helper returns non-zero on failure and never waits longer than its bound.

ZX_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# zx_wait_for [SECONDS] -- CMD ARGS: runs CMD every 50 ms until it succeeds (default 10 s).
zx_wait_for() {
  local seconds=10
  if [ "$1" != "--" ]; then seconds=$1; shift; fi
  shift
  local tries=$((seconds * 20))
  for ((i = 0; i < tries; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# zx_text_window TITLE TEXT: a Tk text window ("another program") with the first word of TEXT
# selected and the keyboard focus, which copies its selection on Ctrl+Insert. Prints
# "PID WINDOW LOG" once the window is mapped; LOG collects what the window reports (the x key
# prints "state N", N the modifier mask). Kill PID to close it.
zx_text_window() {
  local title=$1 text=$2 log pid window
  log=$(mktemp "${TMPDIR:-/tmp}/zx-wish.XXXXXX")
  wish "$ZX_LIB_DIR/textwindow.tcl" "$title" "$text" >"$log" 2>&1 &
  pid=$!
  if ! zx_wait_for 10 -- grep -qx ready "$log"; then
    kill "$pid" 2>/dev/null
    return 1
  fi
  window=$(timeout 10 xdotool search --sync --name "^${title}\$" | head -1)
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null
    return 1
  fi
  echo "$pid $window $log"
}

# zx_activate WINDOW: brings WINDOW to the front (needs the window manager, --wm).
zx_activate() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1
}

# zx_clipboard_set TEXT / zx_clipboard_get: the CLIPBOARD selection through xclip.
zx_clipboard_set() {
  printf '%s' "$1" | xclip -selection clipboard -i
}
zx_clipboard_get() {
  timeout 5 xclip -o -selection clipboard 2>/dev/null
}

# zx_double_click X Y: moves the pointer to X,Y (screen pixels) and double-clicks the left button.
zx_double_click() {
  xdotool mousemove --sync "$1" "$2" click --repeat 2 --delay 80 1
}

# zx_screenshot NAME: the whole screen into $ZARVIK_ARTIFACTS/NAME.png (by default the source
# tree's build/artifacts, where with-x.sh puts its failure screenshots).
zx_screenshot() {
  local dir=${ZARVIK_ARTIFACTS:-$ZX_LIB_DIR/../../../build/artifacts}
  mkdir -p "$dir" && import -window root "$dir/$1.png"
}

# Case bookkeeping shared by the end-to-end scripts. A case is a shell function that calls
# `fail MESSAGE` for each thing it saw go wrong. `run_case LABEL [FUNCTION]` runs it (the
# function named LABEL when none is given) and prints
# PASS or FAIL with its time; on failure it keeps a screenshot named after ZX_CASE_PREFIX and
# the label, and shows ZX_CASE_LOG (the program's output) when that file is not empty.
passed=0
failed=0
case_errors=()
fail() { case_errors+=("$*"); }
run_case() {
  local label=$1 started=$EPOCHREALTIME took shot
  case_errors=()
  "${2:-$1}"
  took=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  if [ ${#case_errors[@]} -eq 0 ]; then
    passed=$((passed + 1))
    echo "PASS $label ($took s)"
    return
  fi
  failed=$((failed + 1))
  echo "FAIL $label ($took s)"
  printf '     %s\n' "${case_errors[@]}"
  shot="${ZX_CASE_PREFIX:-case}-${label//\//-}-failure"
  zx_screenshot "$shot" 2>/dev/null && echo "     screenshot: $ZARVIK_ARTIFACTS/$shot.png"
  if [ -n "${ZX_CASE_LOG:-}" ] && [ -s "$ZX_CASE_LOG" ]; then
    echo "     zarvik said:"
    sed 's/^/       /' "$ZX_CASE_LOG"
  fi
}

# pointer_to X Y: moves the pointer and waits until it is there. xdotool's --sync waits for a
# motion, which never comes when the pointer already stands at the target.
pointer_to() {
  local at
  at=$(xdotool getmouselocation 2>/dev/null | sed -n 's/^x:\([-0-9]*\) y:\([-0-9]*\) .*/\1 \2/p')
  [ "$at" = "$1 $2" ] || xdotool mousemove --sync "$1" "$2"
}

# find_panel: sets `panel` to the program's 383-pixel-wide window (the other one is the
# pop-up strip); fails when there is none.
find_panel() {
  local w
  for w in $(xdotool search --classname '^zarvik$' 2>/dev/null); do
    if timeout 5 xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 383$'; then
      panel=$w
      return 0
    fi
  done
  return 1
}

# clipboard_is TEXT: the clipboard's text is TEXT (for zx_wait_for, which runs a command
# again and again: a $(...) in its arguments would be read once).
clipboard_is() {
  [ "$(zx_clipboard_get)" = "$1" ]
}
# clipboard_offered: some program owns the clipboard and lists its targets.
clipboard_offered() {
  [ -n "$(timeout 5 xclip -o -selection clipboard -t TARGETS 2>/dev/null | head -1)" ]
}
