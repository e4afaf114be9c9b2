#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. the Linux build: labels unit, fault, gui, x11, calc, dialogs; then its Debian package,
#      checked by the validators and run from a temporary root;
#   2. every test that needs no display (Qt's offscreen ones included) again under
#      AddressSanitizer + UndefinedBehaviorSanitizer, LeakSanitizer on;
#   3. each fuzz target briefly;
#   4. the Windows cross build under Wine: the core's tests (label wine), then the whole
#      program against a static Qt for Windows built once and cached (label wine-gui), and
#      the download zip.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

echo "=== Linux build"
cmake --preset default
cmake --build --preset default -j"$jobs"
ctest --preset default

echo "=== Debian package"
scripts/test-package.sh build

echo "=== Sanitizers"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan

echo "=== Fuzzers"
scripts/fuzz.sh 5

if [ -x scripts/test-windows.sh ]; then
  echo "=== Windows build under Wine"
  scripts/test-windows.sh
fi
