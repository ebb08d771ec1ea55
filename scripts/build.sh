#!/usr/bin/env bash
# Configures and builds into ./build (the program folder is ./build/program).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
jobs=${ZARVIK_JOBS:-$(nproc)}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"
