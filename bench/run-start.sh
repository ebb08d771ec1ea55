#!/usr/bin/env bash
# Time from start to the panel on the screen and to the icon in the notification area,
# without the splash, beside an empty Qt program that shows one window and one tray icon
# (bench/app/start_floor.cpp); on a private X server with a window manager and a tray host.
# The program runs from the build's program folder (Mueller's dictionary when mueller7-dict
# is installed). Usage: bench/run-start.sh [RUNS, default 10]
# Prints key=value lines: zarvik_window_ms, zarvik_tray_ms, floor_window_ms, floor_tray_ms.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
cmake --build "$build" --target zarvik zarvik_data start_floor bench_start_latency >/dev/null

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-start.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/config/Zarvik5"
printf '[Options]\nShowSplash=0\nShowPanel=1\n' >"$tmp/config/Zarvik5/Zarvik5.ini"
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data ZARVIK_OFFLINE=1

"$root/tests/with-x.sh" --tray -- "$build/bench/bench_start_latency" "${1:-10}" \
  "zarvik=$build/program/zarvik" "floor=$build/bench/start_floor"
