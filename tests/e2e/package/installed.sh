#!/usr/bin/env bash
# The installed program as a user meets it: the applications menu entry names a command on
# the PATH and an icon of the theme; the command starts the program from its folder, its icon
# appears in the notification area, and a double-click on a word in another program shows
# the word with its translation from the installed dictionary.
#
# Run it through tests/with-x.sh --tray:  installed.sh PREFIX
# (PREFIX is where the tree was installed: /usr for the package, a folder for cmake --install.)
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../lib/x11.sh
source "$here/../lib/x11.sh"

prefix=${1:?usage: installed.sh PREFIX}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-installed.XXXXXX")
zarvik_pid=""
wish_pid=""
# Whatever the way out, every process the script started is ended within a bounded time.
cleanup() {
  zx_end_all
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
  zx_screenshot "installed-fail-$$-$failures" 2>/dev/null
}

# --- the menu entry: its command and its icon are installed
entry=$prefix/share/applications/zarvik.desktop
if [ -f "$entry" ]; then
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  icon_name=$(sed -n 's/^Icon=//p' "$entry")
  command=${exec_line%% *}
  [ -x "$prefix/bin/$command" ] || fail "the menu entry runs [$command], which is not in $prefix/bin"
  icons=$(find "$prefix/share/icons/hicolor" -path "*/apps/$icon_name.png" 2>/dev/null | sort)
  # The menu and the panel look for these sizes first.
  for size in 16x16 24x24 32x32 48x48; do
    grep -q "/$size/apps/" <<<"$icons" || fail "no $size icon [$icon_name] in the hicolor theme (found: $icons)"
  done
else
  fail "no menu entry at $entry"
fi

# --- start through the command on the PATH, as the menu does
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data ZARVIK_OFFLINE=1
mkdir -p "$XDG_CONFIG_HOME/Zarvik5"
printf '[Options]\nShowSplash=0\n' >"$XDG_CONFIG_HOME/Zarvik5/Zarvik5.ini"
# Started from elsewhere, so that nothing is found in the working folder by accident.
(cd / && PATH=$prefix/bin:$PATH exec zarvik) >"$tmp/zarvik.log" 2>&1 &
zarvik_pid=$!
zx_track "$zarvik_pid"

# The icon: a window of the program that the tray host has embedded (its parent is not the
# root) and shows, with a picture on it rather than one flat colour.
tray_icon() {
  local w info root
  root=$(timeout 5 xwininfo -root | awk '/Window id:/ {print $4}')
  for w in $(xdotool search --pid "$zarvik_pid" 2>/dev/null); do
    info=$(zx_wininfo "$w" -children) || continue
    grep -q "Parent window id: $root" <<<"$info" && continue
    zx_wininfo "$w" | grep -q 'Map State: IsViewable' || continue
    echo "$w"
    return 0
  done
  return 1
}
icon=""
# The program that ended at once is not waited for.
icon_or_gone() { tray_icon || ! kill -0 "$zarvik_pid" 2>/dev/null; }
zx_wait_for 15 -- icon_or_gone
if icon=$(tray_icon); then
  colours=$(timeout 10 import -window "$icon" png:- 2>/dev/null | identify -format '%k' - 2>/dev/null)
  [ "${colours:-0}" -gt 1 ] || fail "the tray icon shows one flat colour (${colours:-no picture})"
elif kill -0 "$zarvik_pid" 2>/dev/null; then
  fail "no tray icon within 15 s; the program's output: $(cat "$tmp/zarvik.log")"
fi
if ! kill -0 "$zarvik_pid" 2>/dev/null; then
  wait "$zarvik_pid"
  fail "the program ended (status $?) without a tray icon; its output: $(cat "$tmp/zarvik.log")"
  exit 1
fi

# --- a double-click on a word in another program
wish "$here/../popup/wordwindow.tcl" "Words" "Books on the red table, cat xyzzy" >"$tmp/wish.log" 2>&1 &
wish_pid=$!
zx_track "$wish_pid"
zx_wait_for 10 -- grep -qx "words done" "$tmp/wish.log" || { fail "the text window did not start"; exit 1; }
window=$(timeout 10 xdotool search --sync --name '^Words$' | head -1)
[ -n "$window" ] || { fail "no text window named 'Words' within 10 s"; exit 1; }
zx_activate "$window"
read -r word x y < <(awk '$1 == "word" && $2 == "cat" {print $2, $3, $4}' "$tmp/wish.log")
read -r wx wy < <(zx_wininfo "$window" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
sleep 0.7
zx_double_click $((wx + x)) $((wy + y))

# The strip is the program's window outside the window manager whose name is the line it
# shows; it comes 16 pixels right of the pointer, or flush with the screen's right edge when
# its line is too wide for that.
screen_width=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]; exit}')
strip_line() {
  local w info
  for w in $(xdotool search --pid "$zarvik_pid" 2>/dev/null); do
    info=$(zx_wininfo "$w") || continue
    grep -q 'Override Redirect State: yes' <<<"$info" || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    awk -v x=$((wx + x + 16)) -v sw="$screen_width" '
      /Absolute upper-left X/ { left = $NF } /Width:/ { width = $NF }
      END { want = (x + width > sw) ? sw - width : x; exit !(left == want) }' <<<"$info" || continue
    xdotool getwindowname "$w"
    return 0
  done
  return 1
}
if zx_wait_for 5 -- strip_line; then
  line=$(strip_line)
  # The word as clicked, then its translation from the installed dictionary (Mueller's or
  # the bundled sample: both know the cat as a "кот").
  [[ $line == "cat - "*"кот"* ]] || fail "the strip shows [$line], not cat with its translation"
  zx_screenshot "installed-strip" 2>/dev/null
  echo "strip: $line"
else
  fail "no strip beside the pointer within 5 s of the double-click"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "the installed program starts, shows its tray icon and translates a double-clicked word"
