#!/usr/bin/env bash
# The Windows stage of the tests: cross-builds the core, the COM link, the Win32 platform
# layer and their tests with mingw-w64 into build-win, then runs every test labelled wine
# under Wine, in a Wine prefix of its own inside build-win (made on first use).
# Needs mingw-w64, g++-mingw-w64-x86-64-posix, wine, wine64 and locales (for ja_JP).
# No display is needed: the prefix uses Wine's null graphics driver.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine wineboot localedef; do
  if ! command -v "$tool" >/dev/null; then
    echo "test-windows.sh: $tool is missing (packages: mingw-w64 g++-mingw-w64-x86-64-posix" \
      "wine wine64 locales)" >&2
    exit 1
  fi
done

build=${KESTRINE_WINDOWS_BUILD:-build-win}
jobs=${KESTRINE_JOBS:-2}

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

t0=$(seconds)
cmake -S . -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-toolchain.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRINE_GUI=OFF -DKESTRINE_BENCHMARKS=OFF
cmake --build "$build" -j"$jobs"
t1=$(seconds)
cmake/wine-run.sh --init "$build"
t2=$(seconds)
# One test at a time: they share one wineserver, with its running-object table, registry,
# hotkeys and foreground window.
ctest --test-dir "$build" -L wine --output-on-failure --parallel 1
t3=$(seconds)
echo "Windows stage: build $(elapsed "$t0" "$t1") s, Wine prefix $(elapsed "$t1" "$t2") s," \
  "tests $(elapsed "$t2" "$t3") s"
