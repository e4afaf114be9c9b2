#!/usr/bin/env bash
# The Windows stage of the tests:
#   1. cross-builds the core, the COM link, the Win32 platform layer and their tests with
#      mingw-w64 into build-win and runs every test labelled wine under Wine, in a Wine prefix
#      of its own inside build-win (made on first use; Wine's null graphics driver, no display);
#   2. gets a static Qt for Windows (scripts/build-qt-windows.sh: built once, then cached),
#      cross-builds the whole program kestrine.exe into build-win-gui and runs its end-to-end
#      tests (label wine-gui) under Wine on an X server of their own;
#   3. makes the download, build-win-gui/kestrine-<version>-win64.zip.
# Needs mingw-w64, g++-mingw-w64-x86-64-posix, wine, wine64, locales (for ja_JP), xvfb,
# fonts-wine, dpkg-dev and ninja-build (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine wineboot localedef \
  Xvfb ninja dpkg-source; do
  if ! command -v "$tool" >/dev/null; then
    echo "test-windows.sh: $tool is missing (packages: mingw-w64 g++-mingw-w64-x86-64-posix" \
      "wine wine64 locales xvfb dpkg-dev ninja-build)" >&2
    exit 1
  fi
done

build=${KESTRINE_WINDOWS_BUILD:-build-win}
gui_build=${KESTRINE_WINDOWS_GUI_BUILD:-build-win-gui}
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
echo "Windows core: build $(elapsed "$t0" "$t1") s, Wine prefix $(elapsed "$t1" "$t2") s," \
  "tests $(elapsed "$t2" "$t3") s"

# The whole program against a static Qt for Windows.
qt=$(scripts/build-qt-windows.sh | tail -n 1)
t4=$(seconds)
cmake -S . -B "$gui_build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRINE_GUI=ON -DKESTRINE_BENCHMARKS=OFF -DKESTRINE_PROGRAM_TESTS_ONLY=ON
cmake --build "$gui_build" -j"$jobs"
t5=$(seconds)
# One test at a time: the prefixes' settings files and registries are shared.
ctest --test-dir "$gui_build" -L wine-gui --output-on-failure --parallel 1
t6=$(seconds)
(cd "$gui_build" && cpack -G ZIP >/dev/null)
echo "Windows program: Qt $(elapsed "$t3" "$t4") s, build $(elapsed "$t4" "$t5") s," \
  "tests $(elapsed "$t5" "$t6") s; kestrine.exe $(du -h "$gui_build/src/app/kestrine.exe" | cut -f1)," \
  "Qt cache $(du -sh "$qt" | cut -f1); $(ls "$gui_build"/kestrine-*-win64.zip)"
