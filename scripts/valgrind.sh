#!/usr/bin/env bash
# The core tests under valgrind's memcheck with full leak checking; any error fails.
# Too slow for every CI run, so it is a command of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v valgrind >/dev/null || { echo "valgrind is not installed"; exit 1; }

cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=Debug -DKESTRINE_GUI=OFF -DKESTRINE_BENCHMARKS=OFF >/dev/null
cmake --build build-valgrind -j"$(nproc)" --target kestrine_unit_tests kestrine_fault_tests
for exe in build-valgrind/tests/kestrine_unit_tests build-valgrind/tests/fault/kestrine_fault_tests; do
  echo "== $exe"
  # The fault tests fork and kill children on purpose, and time their loads: those three are
  # left to the sanitizer build.
  valgrind --leak-check=full --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
    --error-exitcode=1 --trace-children=no -q \
    --suppressions=scripts/valgrind-libreoffice.supp "$exe" --gtest_brief=1 \
    --gtest_filter='-Hostile.HugeLineStaysBounded:Hostile.ManySectionsAndAHugeCount:SaveFault.KilledWhileSaving'
done
echo "valgrind: no errors"
