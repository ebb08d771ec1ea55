# Shell helpers for tests on a private X server (source it inside a command run by with-x.sh).
# Every helper returns non-zero on failure and never waits longer than its bound.

ZX_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Time is kept in microseconds. zx_deadline SECONDS (fractions allowed) prints the moment that
# many seconds from now; zx_past DEADLINE is true once it has come.
zx_deadline() {
  local now=${EPOCHREALTIME/./}
  echo $((now + $(awk -v s="$1" 'BEGIN { printf "%d", s * 1000000 }')))
}
zx_past() {
  [ "${EPOCHREALTIME/./}" -ge "$1" ]
}

# zx_wait_for [SECONDS] -- CMD ARGS: runs CMD every 50 ms until it succeeds (default 10 s).
# The bound is time, not a count of tries: CMD may itself take a while (every X tool here runs
# under a timeout of its own), and the wait still ends once SECONDS have passed.
zx_wait_for() {
  local seconds=10 deadline
  if [ "$1" != "--" ]; then seconds=$1; shift; fi
  shift
  deadline=$(zx_deadline "$seconds")
  while true; do
    "$@" >/dev/null 2>&1 && return 0
    zx_past "$deadline" && return 1
    sleep 0.05
  done
}

# zx_wininfo WINDOW [ARGS]: xwininfo on that window, bounded. Without a window id xwininfo
# would wait for the user to pick a window with the mouse: that fails at once here.
zx_wininfo() {
  local window=$1
  [ -n "$window" ] || return 1
  shift
  timeout 5 xwininfo -id "$window" "$@" 2>/dev/null
}

# Processes the script started. zx_track PID... records them; zx_end_all ends each of them and
# whatever they started in turn (and every background job of the shell), TERM first, KILL
# after 3 s, and reaps them: it never waits longer than that, whatever the processes do.
zx_pids=()
zx_track() {
  zx_pids+=("$@")
}
zx_end_all() {
  local queue all=() pid deadline alive
  # shellcheck disable=SC2207
  queue=("${zx_pids[@]}" $(jobs -p))
  while [ ${#queue[@]} -gt 0 ]; do
    pid=${queue[0]}
    queue=("${queue[@]:1}")
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || continue
    [[ " ${all[*]} " == *" $pid "* ]] && continue
    all+=("$pid")
    # shellcheck disable=SC2207
    queue+=($(pgrep -P "$pid" 2>/dev/null))
  done
  zx_pids=()
  [ ${#all[@]} -gt 0 ] || return 0
  kill "${all[@]}" 2>/dev/null
  deadline=$(zx_deadline 3)
  while ! zx_past "$deadline"; do
    alive=0
    for pid in "${all[@]}"; do
      kill -0 "$pid" 2>/dev/null && { alive=1; break; }
    done
    [ "$alive" = 1 ] || break
    sleep 0.05
  done
  kill -9 "${all[@]}" 2>/dev/null
  # Reaps those that were this shell's children; for the others it returns at once.
  for pid in "${all[@]}"; do
    wait "$pid" 2>/dev/null
  done
  return 0
}

# zx_end PID: ends one process the same way (TERM, KILL after 3 s), and reaps it.
zx_end() {
  local pid=$1 deadline
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null
  deadline=$(zx_deadline 3)
  while kill -0 "$pid" 2>/dev/null && ! zx_past "$deadline"; do
    sleep 0.05
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
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
  zx_track "$pid"
  if ! zx_wait_for 10 -- grep -qx ready "$log"; then
    echo "the text window '$title' did not start within 10 s: $(head -c 300 "$log")" >&2
    zx_end "$pid"
    return 1
  fi
  window=$(timeout 10 xdotool search --sync --name "^${title}\$" | head -1)
  if [ -z "$window" ]; then
    echo "no window named '$title' within 10 s" >&2
    zx_end "$pid"
    return 1
  fi
  echo "$pid $window $log"
}

# zx_activate WINDOW: brings WINDOW to the front (needs the window manager, --wm).
zx_activate() {
  [ -n "$1" ] || return 1
  timeout 5 xdotool windowactivate --sync "$1" >/dev/null 2>&1
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
  zx_move_and "$1" "$2" click --repeat 2 --delay 80 1
}

# zx_screenshot NAME: the whole screen into $ZARVIK_ARTIFACTS/NAME.png (by default the source
# tree's build/artifacts, where with-x.sh puts its failure screenshots).
zx_screenshot() {
  local dir=${ZARVIK_ARTIFACTS:-$ZX_LIB_DIR/../../../build/artifacts}
  mkdir -p "$dir" && timeout 10 import -window root "$dir/$1.png"
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

# zx_summary [PASSED FAILED]: prints the tally (by default of run_case's counts) and is the
# suite's verdict: false when a case failed, and false when no case was checked at all (a
# group that ran nothing, a list of cases left empty), which must never read as a pass.
zx_summary() {
  local p=${1:-$passed} f=${2:-$failed}
  echo "$p passed, $f failed"
  if [ $((p + f)) -eq 0 ]; then
    echo "no case was checked"
    return 1
  fi
  [ "$f" -eq 0 ]
}

# pointer_to X Y: moves the pointer and waits until it is there. xdotool's --sync waits for a
# motion, which never comes when the pointer already stands at the target.
pointer_to() {
  zx_pointer_at "$1" "$2" || timeout 5 xdotool mousemove --sync "$1" "$2"
}
zx_pointer_at() {
  [ "$(xdotool getmouselocation 2>/dev/null | sed -n 's/^x:\([-0-9]*\) y:\([-0-9]*\) .*/\1 \2/p')" = "$1 $2" ]
}
# zx_move_and X Y XDOTOOL_STEPS...: the pointer to X,Y and then the steps, in one xdotool run
# (the press follows the move at once, as a hand's would).
zx_move_and() {
  local x=$1 y=$2
  shift 2
  if zx_pointer_at "$x" "$y"; then
    timeout 10 xdotool "$@"
  else
    timeout 10 xdotool mousemove --sync "$x" "$y" "$@"
  fi
}

# find_panel: sets `panel` to the program's 383-pixel-wide window (the other one is the
# pop-up strip); fails when there is none.
find_panel() {
  local w
  for w in $(xdotool search --classname '^zarvik$' 2>/dev/null); do
    if zx_wininfo "$w" | grep -q 'Width: 383$'; then
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

# zarvik_gone: true once the program whose pid is in `zarvik_pid` has ended; says how in
# `gone_note`.
gone_note=""
zarvik_gone() {
  [ -n "$zarvik_pid" ] || { gone_note=${gone_note:-zarvik is not running}; return 0; }
  kill -0 "$zarvik_pid" 2>/dev/null && return 1
  wait "$zarvik_pid" 2>/dev/null
  gone_note="zarvik ended with status $?"
  zarvik_pid=""
  return 0
}

# tray_icon: Zarvik's icon inside trayer's panel as "X Y W H", nothing when it is not there.
tray_icon() {
  timeout 5 xwininfo -root -tree 2>/dev/null | awk '
    /\("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0 }
    inside && /\("zarvik" / {
      split($0, f, " +"); n = split($(NF-1), g, "[x+]"); split($NF, a, "+")
      print a[2], a[3], g[1], g[2]; exit }'
}
