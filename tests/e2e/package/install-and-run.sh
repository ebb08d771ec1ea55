#!/usr/bin/env bash
# Installs the build into a fresh folder with cmake --install, then runs installed.sh on it
# on a private X server with a tray host. Usage: install-and-run.sh BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: install-and-run.sh BUILD_DIR}
prefix=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-prefix.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
if ! timeout 120 cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  echo "FAIL: cmake --install:"; cat "$prefix.log"; rm -f "$prefix.log"
  exit 1
fi
rm -f "$prefix.log"
"$here/../../with-x.sh" --tray -- bash "$here/installed.sh" "$prefix"
