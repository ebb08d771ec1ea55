#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zarvik with its default dictionary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
exec "${ZARVIK_BUILD_DIR:-$root/build}/program/zarvik"
