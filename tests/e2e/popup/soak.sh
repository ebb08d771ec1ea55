#!/usr/bin/env bash
# Soak of captures with a changing clipboard under load (not part of the suite; about 1.5 s a
# capture). Each round puts a new text on the clipboard (every fifth one through a slow owner
# that answers after 300 ms, copied 0.1 s before the double-click), double-clicks a word, and
# checks that the strip shows that word and that the clipboard comes back exactly.
# Run it through tests/with-x.sh --wm:
#   soak.sh ZARVIK_EXECUTABLE SAMPLE_BDD SLOW_OWNER [CAPTURES (500)] [LOAD_PROCESSES (2)]
set -u
slow_owner_exe=${3:-}
rounds=${4:-500}
load=${5:-2}
source "$(dirname "$0")/common.sh"

owner_pid=""
load_pids=()
soak_cleanup() {
  [ -n "$owner_pid" ] && kill "$owner_pid" 2>/dev/null
  local pid
  for pid in "${load_pids[@]}"; do kill "$pid" 2>/dev/null; done
  zp_cleanup
}
trap soak_cleanup EXIT

zp_program_folder
zp_word_window "Books on the red table, cat xyzzy" || exit 1
zp_start_zarvik "ShowPanel=0" || exit 1
# Load: busy processes at the lowest priority, each ended by the cleanup (and by a time
# limit of their own, should the cleanup not run).
for ((i = 0; i < load; i++)); do
  timeout 3600 nice -n 19 sh -c 'while :; do :; done' &
  load_pids+=($!)
done

exact=0 wrong=0 nostrip=0
words=(red table)
started=$(date +%s)
for ((n = 1; n <= rounds; n++)); do
  text="soak-$n-$RANDOM-текст"
  [ -n "$owner_pid" ] && { kill "$owner_pid" 2>/dev/null; wait "$owner_pid" 2>/dev/null; owner_pid=""; }
  if ((n % 5 == 0)); then
    printf '%s' "$text" >"$zp_tmp/soak.txt"
    "$slow_owner_exe" 300 65536 0 UTF8_STRING "$zp_tmp/soak.txt" >"$zp_tmp/owner.log" 2>&1 &
    owner_pid=$!
    zx_wait_for 5 -- grep -qx ready "$zp_tmp/owner.log"
    sleep 0.1
  else
    printf '%s' "$text" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
    owner_pid=$!
    sleep 0.2
  fi
  word=${words[$((n % 2))]}
  read -r PX PY < <(zp_word_at "$word")
  zx_double_click "$PX" "$PY"
  case $word in red) line="red - красный  " ;; table) line="table - стол; таблица  " ;; esac
  zx_wait_for 6 -- zp_strip_is "$line" $((PX + 16)) "$PY" || nostrip=$((nostrip + 1))
  if zx_wait_for 5 -- clipboard_is "$text"; then
    exact=$((exact + 1))
  else
    wrong=$((wrong + 1))
    echo "round $n: expected [$text], the clipboard holds [$(zx_clipboard_get | head -c 80)]"
  fi
  sleep "$ZP_GESTURE_GAP"
  ((n % 50 == 0)) && echo "$n rounds: $exact exact, $wrong wrong, $nostrip without the strip ($(($(date +%s) - started)) s)"
done
echo "soak: $rounds captures, $exact exact restores, $wrong wrong, $nostrip without the strip, $(($(date +%s) - started)) s"
[ "$wrong" -eq 0 ]
