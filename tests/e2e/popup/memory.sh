#!/usr/bin/env bash
# Resident memory does not follow the clipboard's size: copies of 20 MB and 200 MB (with no
# capture) leave Zarvik within 10 MB of its idle figure. Run it through tests/with-x.sh --wm:
#   memory.sh ZARVIK_EXECUTABLE SAMPLE_BDD
set -u
source "$(dirname "$0")/common.sh"

owner_pid=""
memory_cleanup() {
  [ -n "$owner_pid" ] && kill "$owner_pid" 2>/dev/null
  zp_cleanup
}
trap memory_cleanup EXIT

resident_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$zp_zarvik_pid/status"; }

zp_program_folder
zp_start_zarvik "ShowPanel=0" || exit 1
sleep 2
idle=$(resident_kb)
echo "idle: $idle kB"
for mb in 20 200; do
  zp_case "a $mb MB copy"
  head -c "${mb}000000" /dev/zero | tr '\0' 'm' >"$zp_tmp/big.txt"
  [ -n "$owner_pid" ] && kill "$owner_pid" 2>/dev/null
  xclip -selection clipboard -i -quiet "$zp_tmp/big.txt" >/dev/null 2>&1 &
  owner_pid=$!
  rm -f "$zp_tmp/big.txt"
  # Long enough for Zarvik to have noticed the copy and dealt with it.
  zx_wait_for 20 -- clipboard_offered
  sleep 3
  now=$(resident_kb)
  echo "after $mb MB: $now kB (idle $idle kB)"
  [ "$now" -le $((idle + 10240)) ] || zp_fail "resident $now kB, more than 10 MB above the idle $idle kB"
  kill -0 "$zp_zarvik_pid" 2>/dev/null || zp_fail "Zarvik is gone"
  zp_end_case
done
zp_summary
