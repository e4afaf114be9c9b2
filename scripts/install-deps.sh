#!/usr/bin/env bash
# Installs what building and testing Kestrine needs on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev libxcb1-dev libx11-dev libxcb-xtest0-dev
  # spreadsheet over UNO
  libreoffice-dev libreoffice-calc
  # real windows, tray and hotkey tests; screenshots
  xvfb xauth xdotool x11-utils openbox trayer fonts-ipafont-gothic imagemagick
  # the D-Bus tray: a session bus and a StatusNotifier host
  dbus haskell-gtk-sni-tray-utils
  # Windows cross build and its tests
  mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 locales fonts-wine
  # Qt for Windows, built from Debian's source (scripts/build-qt-windows.sh)
  dpkg-dev ninja-build
  # sanitizers and fuzzers
  clang libclang-rt-14-dev
  # the Windows help file; the Debian package and its validators
  fp-utils dpkg-dev desktop-file-utils appstream lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
