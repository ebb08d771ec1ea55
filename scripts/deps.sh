#!/usr/bin/env bash
# Installs every Debian package that building, running, testing and benchmarking need.
# Safe to run again: apt-get skips what is already present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6svg6
  libsqlite3-dev zlib1g-dev libfontconfig-dev
  # the skins test writes JPEG pictures in several scans with libjpeg
  libjpeg-dev
  libx11-dev libxtst-dev libxi-dev libxres-dev libxfixes-dev
  # the Wayland session's data-control client (wayland-scanner generates it at build time)
  libwayland-dev wayland-protocols
  xdg-utils fonts-dejavu-core qt6-translations-l10n
  # the article window's pronunciation: Qt TextToSpeech over speech-dispatcher
  qt6-speech-dev libqt6texttospeech6 qt6-speech-speechd-plugin speech-dispatcher
  libbenchmark-dev
  # the import benchmarks: peak memory (GNU time) and the generated 5,000,000-entry input
  time python3
  # the sanitizer and libFuzzer tree of scripts/test.sh (llvm symbolizes the reports)
  clang libclang-rt-14-dev llvm
  mueller7-dict
  # the help: chmcmd compiles zarvik.chm, xchm is the desktop's viewer for it
  fp-utils xchm
  xvfb xauth openbox trayer xdotool xclip x11-utils x11-xserver-utils imagemagick tk xterm sqlite3 strace
  lintian desktop-file-utils debootstrap
  # the Wayland session test: a headless sway with XWayland, Qt's Wayland plugin (which the
  # program must not take), native programs' copies by wl-clipboard, screenshots by grim, a
  # session bus for the tray icon's StatusNotifierItem (gdbus reads it back), the session's
  # keyboard by wtype, a native program in front by foot
  sway xwayland qt6-wayland wl-clipboard grim dbus-daemon libglib2.0-bin wtype foot
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
