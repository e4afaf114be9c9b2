#!/usr/bin/env bash
# Builds and runs the window's benchmark: scripts/../bench/gui/run.sh [BUILD-DIR] [--runs N]
# With DISPLAY unset it runs on Qt's offscreen platform; QT_QPA_PLATFORM=xcb under a display
# measures a real X server instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
shift || true
cmake --build "$build" --target kestrine_bench_gui -j2
exec "$build/bench/gui/kestrine_bench_gui" "$@"
