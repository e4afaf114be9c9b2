#!/usr/bin/env bash
# Builds and runs the window's benchmark: scripts/../bench/gui/run.sh [BUILD-DIR] [--runs N]
# With DISPLAY unset it runs on Qt's offscreen platform; QT_QPA_PLATFORM=xcb under a display
# measures a real X server instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
shift || true
cmake --build "$build" --target kestrine_bench_gui -j2
# The goals are for an optimised build, as the default preset makes; a build without a type
# is not optimised at all.
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
case "$type" in
  Release | RelWithDebInfo | MinSizeRel) ;;
  *) echo "warning: $build is a '${type:-no type}' build; measure RelWithDebInfo or Release" >&2 ;;
esac
exec "$build/bench/gui/kestrine_bench_gui" "$@"
