#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the Linux build (labels
# unit, gui, x11, calc) and, when present, the Windows cross build under Wine (label wine).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

cmake --preset default
cmake --build --preset default -j"$jobs"
ctest --preset default

if [ -x scripts/test-windows.sh ]; then
  scripts/test-windows.sh
fi
