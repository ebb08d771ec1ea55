#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (X11 tests start their own Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
# Keep the program from asking the network for its home page during tests.
export ZARVIK_OFFLINE=1
ctest --test-dir "$build" --output-on-failure -j "${ZARVIK_TEST_JOBS:-2}" "$@"
