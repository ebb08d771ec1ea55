#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's system would see it.
#
#   packaging/check-deb.sh [--chroot DIR] [BUILD_DIR]
#
# 1. cpack -G DEB in BUILD_DIR (default: build), after bringing the build up to date;
# 2. lintian on the package: errors fail the check, warnings are listed;
# 3. desktop-file-validate on the menu entry inside the package;
# 4. the package installed and tried out (tests/e2e/package/installed.sh: tray icon, a
#    double-clicked word translated):
#    --chroot DIR: in a Debian system at DIR that has never seen this source tree (made with
#      `debootstrap --variant=minbase bookworm DIR`), with `apt-get install ./zarvik_*.deb`;
#      the X server, tray host and test tools are installed there afterwards. Needs root.
#    otherwise: unpacked with dpkg-deb -x into a fresh folder, its dependencies checked with
#      `apt-get install --simulate`, and run from there on this machine's X tools.
# Slow (minutes); not part of the test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
chroot_dir=""
if [ "${1:-}" = --chroot ]; then
  chroot_dir=$(cd "${2:?--chroot needs a folder}" && pwd)
  shift 2
fi
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "$root/build")

step() { echo "== $*"; }

step "build and package"
ZARVIK_BUILD_DIR=$build "$root/scripts/build.sh" >/dev/null
rm -f "$build"/zarvik_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zarvik_*.deb)
echo "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends Installed-Size

step "lintian"
# Errors fail; warnings and the rest are shown for the report.
lintian --tag-display-limit 0 --display-level '>=warning' "$deb" | tee "$build/lintian.txt" || true
if grep -q '^E:' "$build/lintian.txt"; then
  echo "lintian reports errors" >&2
  exit 1
fi
echo "lintian: no errors"

step "desktop entry"
unpacked=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-deb.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/zarvik.desktop"
echo "desktop-file-validate: no errors"

tests_tree() {
  # What the check needs of the source tree: the X helpers and the end-to-end scripts.
  local into=$1
  mkdir -p "$into/tests"
  cp "$root/tests/with-x.sh" "$into/tests/"
  cp -r "$root/tests/e2e" "$into/tests/"
}

if [ -z "$chroot_dir" ]; then
  step "dependencies (apt-get install --simulate)"
  apt-get install --simulate "$deb" | grep -E '^(Inst|Conf) |newly installed|^E:' | tail -5
  step "the unpacked package, tried out"
  tests_tree "$unpacked/check"
  status=0
  "$unpacked/check/tests/with-x.sh" --tray -- bash "$unpacked/check/tests/e2e/package/installed.sh" "$unpacked/usr" \
    || status=$?
  exit $status
fi

step "install into $chroot_dir"
[ -x "$chroot_dir/usr/bin/apt-get" ] || { echo "$chroot_dir is not a Debian system" >&2; exit 1; }
if [ -e "$chroot_dir/usr/lib/zarvik" ] && ! chroot "$chroot_dir" dpkg -s zarvik >/dev/null 2>&1; then
  echo "$chroot_dir has a Zarvik that no package installed" >&2
  exit 1
fi
mounted=()
unmount() {
  local m
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    m=${mounted[$i]}
    umount "$m" 2>/dev/null || umount -l "$m"
  done
  rm -rf "$unpacked"
}
trap unmount EXIT
for m in proc dev dev/pts sys; do
  mkdir -p "$chroot_dir/$m"
  case $m in
    proc) mount -t proc proc "$chroot_dir/proc" ;;
    *) mount --bind "/$m" "$chroot_dir/$m" ;;
  esac
  mounted+=("$chroot_dir/$m")
done
mount -t tmpfs tmpfs "$chroot_dir/tmp"
mounted+=("$chroot_dir/tmp")
cp "$deb" "$chroot_dir/tmp/"
in_chroot() { chroot "$chroot_dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }
in_chroot apt-get update -qq
in_chroot apt-get install -y -q "/tmp/$(basename "$deb")" | grep -E '^(Setting up|Unpacking|E:)|newly installed'
in_chroot dpkg -s zarvik | grep -E '^(Status|Version):'

step "try it out in $chroot_dir"
# The harness, installed after the package, so that the package's own dependencies were all
# it had to start with.
in_chroot apt-get install -y -qq --no-install-recommends xvfb xauth openbox trayer xdotool x11-utils \
  tk imagemagick >/dev/null
tests_tree "$chroot_dir/tmp/check"
status=0
in_chroot env ZARVIK_ARTIFACTS=/tmp/artifacts bash /tmp/check/tests/with-x.sh --tray -- \
  bash /tmp/check/tests/e2e/package/installed.sh /usr || status=$?

step "start at login, by the README's command"
# The command as the README gives it, then the XDG autostart runner of openbox (it needs
# python3-xdg) in a session of its own; the program must come up on that display.
autostart=$(sed -n 's/^    \(mkdir -p "${XDG_CONFIG_HOME.*autostart\/"\)$/\1/p' "$root/README.md")
[ -n "$autostart" ] || { echo "no autostart command in README.md" >&2; status=1; }
in_chroot apt-get install -y -qq --no-install-recommends python3-xdg >/dev/null
cat >"$chroot_dir/tmp/check/autostart.sh" <<SCRIPT
export HOME=\$(mktemp -d) ZARVIK_OFFLINE=1
$autostart
ls "\$HOME/.config/autostart"
/usr/lib/*/openbox-xdg-autostart
for _ in \$(seq 100); do
  xdotool search --classname '^zarvik\$' >/dev/null 2>&1 && { echo "zarvik started at login"; exit 0; }
  sleep 0.1
done
echo "FAIL: zarvik did not start from the autostart folder"
exit 1
SCRIPT
in_chroot bash /tmp/check/tests/with-x.sh --tray -- bash /tmp/check/autostart.sh || status=1

mkdir -p "$build/artifacts"
cp "$chroot_dir"/tmp/artifacts/*.png "$build/artifacts/" 2>/dev/null && echo "screenshots: $build/artifacts"
exit $status
