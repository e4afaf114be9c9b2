#!/usr/bin/env bash
# Installs what is missing, builds Kestrine and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"
if [ -x build/src/app/kestrine ]; then
  exec build/src/app/kestrine
fi
echo "The core is built; the program itself is not part of this build yet."
