# Helpers for the pop-up translation tests on a private X server (source it from a script run
# by tests/with-x.sh). The script's arguments: the zarvik executable, the sample dictionary.
#
# Each test runs the real program from a program folder of its own (a copy of the executable,
# the sample dictionary as zarvik.bdd, the silent sound, no skins) with a configuration folder
# of its own, next to a Tk text window that stands for "another program".

ZP_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../lib/x11.sh
source "$ZP_DIR/../lib/x11.sh"

if [ $# -lt 2 ] || [ ! -x "$1" ] || [ ! -f "$2" ]; then
  echo "usage: $0 ZARVIK_EXECUTABLE SAMPLE_BDD" >&2
  exit 2
fi
ZP_EXE=$1
ZP_SAMPLE=$2

# What the user had before any capture: a clipboard text and a default sound of their own.
ZP_USER_TEXT="user's own text"
ZP_USER_SOUND=/usr/share/sounds/beep.oga
# Parked is anywhere left of this (the strip parks at -667 or -10000 pixels).
ZP_PARKED_LEFT=-600
# Longer than the system double-click time (Qt's default is 400 ms), so that one gesture
# never pairs with the click of the one before.
ZP_GESTURE_GAP=0.7

zp_passed=0
zp_failed=0
zp_case_name=""
zp_case_ok=1
zp_zarvik_pid=""
zp_wish_pid=""
zp_tmp=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-popup.XXXXXX")
export XDG_CONFIG_HOME=$zp_tmp/config XDG_DATA_HOME=$zp_tmp/data ZARVIK_OFFLINE=1
ZP_INI=$XDG_CONFIG_HOME/Zarvik5/Zarvik5.ini
ZP_REGISTRY=$XDG_CONFIG_HOME/Zarvik5/registry.json

# Whatever the way out (the end, an early exit, a signal from the test driver): every process
# the script started is ended, within a bounded time.
zp_cleanup() {
  zx_end_all
  rm -rf "$zp_tmp"
}
trap zp_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- reporting ---

zp_case() {
  zp_case_name=$1
  zp_case_ok=1
  echo "--- $zp_case_name"
}

# zp_fail MESSAGE: marks the current case failed (the case goes on, so that one run shows
# everything that is wrong) and keeps a screenshot of the moment.
zp_fail() {
  echo "FAIL [$zp_case_name]: $*"
  if [ "$zp_case_ok" = 1 ]; then
    zx_screenshot "popup-fail-$(echo "$zp_case_name" | tr -c 'A-Za-z0-9' '-')-$$" 2>/dev/null
  fi
  zp_case_ok=0
}

zp_end_case() {
  if [ "$zp_case_ok" = 1 ]; then
    zp_passed=$((zp_passed + 1))
    echo "ok [$zp_case_name]"
  else
    zp_failed=$((zp_failed + 1))
  fi
}

zp_summary() {
  zx_summary "$zp_passed" "$zp_failed"
}

# zp_expect_eq WHAT EXPECTED ACTUAL
zp_expect_eq() {
  if [ "$2" != "$3" ]; then
    zp_fail "$1: expected [$2], got [$3]"
    return 1
  fi
}

# --- the program and its surroundings ---

zp_program_folder() {
  local dir=$zp_tmp/program
  mkdir -p "$dir/skins"
  # A copy, not a link: the program folder is where the executable itself lies.
  cp "$ZP_EXE" "$dir/zarvik"
  cp "$ZP_SAMPLE" "$dir/zarvik.bdd"
  cp "$ZP_DIR/../../../data/null.wav" "$dir/null.wav"
}

# zp_registry_sound: the default-sound value in the registry-like store ("" when missing).
zp_registry_sound() {
  [ -f "$ZP_REGISTRY" ] || return 0
  # The store holds the one key; its value name is the empty text.
  sed -n 's/^ *"": "\(.*\)",\{0,1\}$/\1/p' "$ZP_REGISTRY" | head -1
}

zp_seed_registry() {
  mkdir -p "$(dirname "$ZP_REGISTRY")"
  printf '{\n    "AppEvents\\\\Schemes\\\\Apps\\\\.Default\\\\.Default\\\\.Current": {\n        "": "%s"\n    }\n}\n' \
    "$ZP_USER_SOUND" >"$ZP_REGISTRY"
}

# zp_geometry WINDOW: "X Y" of the window's top left corner on the screen.
zp_geometry() {
  zx_wininfo "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    END {if (x == "" || y == "") exit 1; print x, y}'
}

zp_strip_parked() {
  local x y
  read -r x y < <(zp_geometry "$ZP_STRIP") || return 1
  [ "$x" -lt "$ZP_PARKED_LEFT" ]
}
zp_strip_shown() {
  local x y
  read -r x y < <(zp_geometry "$ZP_STRIP") || return 1
  [ "$x" -ge "$ZP_PARKED_LEFT" ]
}

# The strip is the program's mapped override-redirect window that starts parked off-screen.
zp_find_strip() {
  local w info
  for w in $(xdotool search --classname '^zarvik$' 2>/dev/null); do
    info=$(zx_wininfo "$w") || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    grep -q 'Override Redirect State: yes' <<<"$info" || continue
    if awk '/Absolute upper-left X/ {exit !($NF < '"$ZP_PARKED_LEFT"')}' <<<"$info"; then
      echo "$w"
      return 0
    fi
  done
  return 1
}

# zp_start_zarvik [KEY=VALUE...]: (re)starts the program with ShowSplash=0, the given options,
# the user's sound in the store and the user's text on the clipboard; sets ZP_STRIP.
zp_start_zarvik() {
  zp_stop_zarvik
  mkdir -p "$(dirname "$ZP_INI")"
  { echo "[Options]"; echo "ShowSplash=0"; printf '%s\n' "$@"; } >"$ZP_INI"
  zp_seed_registry
  zx_clipboard_set "$ZP_USER_TEXT"
  : >"$zp_tmp/zarvik.log"
  "$zp_tmp/program/zarvik" >>"$zp_tmp/zarvik.log" 2>&1 &
  zp_zarvik_pid=$!
  zx_track "$zp_zarvik_pid"
  ZP_STRIP=""
  local deadline status
  deadline=$(zx_deadline 10)
  until zx_past "$deadline"; do
    ZP_STRIP=$(zp_find_strip) && break
    kill -0 "$zp_zarvik_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ -z "$ZP_STRIP" ]; then
    if kill -0 "$zp_zarvik_pid" 2>/dev/null; then
      echo "FAIL: zarvik runs but put up no strip window within 10 s; its output:"
    else
      wait "$zp_zarvik_pid" 2>/dev/null
      status=$?
      zp_zarvik_pid=""
      echo "FAIL: zarvik ended (status $status) before it put up its strip window; its output:"
    fi
    sed 's/^/  /' "$zp_tmp/zarvik.log"
    return 1
  fi
  # The strip exists once the main form is shown; the rest of the start-up follows in the
  # same turn of the event loop. A press made before the first tick would simply be missed.
  sleep 0.5
}

zp_stop_zarvik() {
  zx_end "$zp_zarvik_pid"
  zp_zarvik_pid=""
}

# zp_word_window TEXT: the text window (see wordwindow.tcl); sets ZP_WISH (its window) and
# fills ZP_WORD_X/ZP_WORD_Y with the middle of each word, relative to the window.
declare -A ZP_WORD_X ZP_WORD_Y
zp_word_window() {
  local log=$zp_tmp/wish.log tag word x y
  wish "$ZP_DIR/wordwindow.tcl" "Words" "$1" >"$log" 2>&1 &
  zp_wish_pid=$!
  zx_track "$zp_wish_pid"
  zx_wait_for 10 -- grep -qx "words done" "$log" || { echo "FAIL: the text window did not start within 10 s:"; cat "$log"; return 1; }
  ZP_WISH=$(timeout 10 xdotool search --sync --name '^Words$' | head -1)
  [ -n "$ZP_WISH" ] || { echo "FAIL: no text window named 'Words' within 10 s"; return 1; }
  while read -r tag word x y; do
    [ "$tag" = word ] || continue
    ZP_WORD_X[$word]=$x
    ZP_WORD_Y[$word]=$y
  done <"$log"
  zx_activate "$ZP_WISH"
}

# zp_word_at WORD: "X Y" on the screen of the middle of WORD in the text window.
zp_word_at() {
  local wx wy
  read -r wx wy < <(zp_geometry "$ZP_WISH") || return 1
  echo "$((wx + ZP_WORD_X[$1])) $((wy + ZP_WORD_Y[$1]))"
}

# zp_wait_shown [SECONDS]: waits for the strip to come on the screen; sets ZP_SHOWN_AT.
zp_wait_shown() {
  zx_wait_for "${1:-5}" -- zp_strip_shown || return 1
  ZP_SHOWN_AT=$(date +%s.%N)
}

# zp_stays SECONDS -- CMD ARGS: true when CMD succeeds at every poll for that long.
zp_stays() {
  local deadline
  deadline=$(zx_deadline "$1")
  shift 2
  until zx_past "$deadline"; do
    "$@" || return 1
    sleep 0.05
  done
}

zp_stays_parked() {
  zp_stays "$1" -- zp_strip_parked
}

zp_seconds_since() {
  awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}'
}

# zp_strip_is LINE X Y: the strip is on the screen showing LINE at X,Y. Remembers in
# ZP_LAST_SEEN what it last found on the screen, for the failure message.
zp_strip_is() {
  local name where
  zp_strip_shown || return 1
  name=$(xdotool getwindowname "$ZP_STRIP")
  where=$(zp_geometry "$ZP_STRIP")
  ZP_LAST_SEEN="[$name] at ($where)"
  [ "$name" = "$1" ] && [ "$where" = "$2 $3" ]
}

# zp_expect_strip LINE X Y: the strip comes on the screen showing LINE, with its top left
# corner at X,Y; sets ZP_SHOWN_AT.
zp_expect_strip() {
  ZP_LAST_SEEN=""
  if zx_wait_for 5 -- zp_strip_is "$@"; then
    ZP_SHOWN_AT=$(date +%s.%N)
    return 0
  fi
  if [ -z "$ZP_LAST_SEEN" ]; then
    zp_fail "no strip on the screen within 5 s (expected [$1] at ($2 $3))"
  else
    zp_fail "expected the strip [$1] at ($2 $3), it showed $ZP_LAST_SEEN"
  fi
  return 1
}
