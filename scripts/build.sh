#!/usr/bin/env bash
# Configures and builds into ./build (the program folder is ./build/program), or into
# $ZARVIK_BUILD_DIR. Arguments are passed to cmake's configure step (-DNAME=VALUE...).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
jobs=${ZARVIK_JOBS:-$(nproc)}
launcher=()
# Rebuilds in a second checkout of the tree reuse the compiled objects when ccache is there.
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j "$jobs"
