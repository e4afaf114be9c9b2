#!/usr/bin/env bash
# Builds a static Qt 6 for 64-bit Windows (Core, Gui, Widgets, the windows platform plugin,
# PNG) from Debian's own qt6-base source with the project's mingw-w64 toolchain and the host
# Qt's tools, and installs it into a cache outside the checkout. Prints the install prefix as
# its last line. A later run with the same Qt source, script and compiler finds the cache and
# does nothing.
#
#   KESTRINE_QT_WINDOWS_CACHE  cache folder (default ~/.cache/kestrine)
#   KESTRINE_JOBS              parallel build jobs (default: nproc)
#
# Needs: qt6-base-dev (the host tools), mingw-w64, g++-mingw-w64-x86-64-posix, dpkg-dev,
# ninja-build, cmake. Adds a deb-src entry of its own when the machine has none.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${HOME:-}" ]; then
  HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
  export HOME
fi
cache=${KESTRINE_QT_WINDOWS_CACHE:-$HOME/.cache/kestrine}
jobs=${KESTRINE_JOBS:-$(nproc)}
toolchain=$here/cmake/mingw-w64-toolchain.cmake

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
if [ -z "$host_version" ]; then
  echo "build-qt-windows.sh: qt6-base-dev is not installed; its tools build Qt for Windows" >&2
  exit 1
fi
compiler_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
key=$(printf '%s\n' "$host_version" "$compiler_version" | cat - "$0" "$toolchain" |
  sha256sum | cut -c1-12)
prefix=$cache/qt6-mingw-${host_version//[:+~]/_}-$key

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/qt-windows.lock"
flock 9
if [ -f "$prefix/.complete" ]; then # built by another run meanwhile
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d "$cache/qt-build.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The source, with Debian's patches applied, at exactly the host Qt's version: the host's
# moc, rcc and uic must match it.
if ! apt-get source --print-uris "qt6-base=$host_version" >/dev/null 2>&1; then
  src_list=/etc/apt/sources.list.d/kestrine-deb-src.sources
  echo "build-qt-windows.sh: adding source entries ($src_list)" >&2
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee "$src_list" >/dev/null
  else
    grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' |
      $sudo tee "${src_list%.sources}.list" >/dev/null
  fi
  $sudo apt-get update -q >&2
fi
(cd "$work" && apt-get source --download-only "qt6-base=$host_version" >&2 &&
  dpkg-source -x --no-check qt6-base_*.dsc src >&2)

t0=$(date +%s)
# tabletevent: the DFSG source lacks wintab. opengl: INPUT_opengl=no, since FEATURE_opengl
# alone leaves dynamic GL on and the platform plugin fails to compile. direct2d stays on: its
# DirectWrite font database is what the platform plugin links against.
cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=OFF -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_testlib=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_pkg_config=OFF -DFEATURE_system_zlib=OFF \
  -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_freetype=OFF \
  -DFEATURE_harfbuzz=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_static_runtime=ON \
  -DINPUT_opengl=no -DFEATURE_direct2d1_1=OFF >&2
cmake --build "$work/build" -j"$jobs" >&2
rm -rf "$prefix"
cmake --install "$work/build" >&2
touch "$prefix/.complete"
echo "build-qt-windows.sh: Qt for Windows built in $(($(date +%s) - t0)) s," \
  "$(du -sh "$prefix" | cut -f1) in $prefix" >&2
echo "$prefix"
