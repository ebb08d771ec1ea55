#!/usr/bin/env bash
# The idle figures under their earlier name: see run-idle.sh, which measures wake-ups beside
# the CPU time. Usage: bench/app/run-idle-cpu.sh [seconds, default 60]
set -euo pipefail
exec "$(dirname "$0")/run-idle.sh" "$@"
