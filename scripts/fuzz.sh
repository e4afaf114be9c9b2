#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds
# (default 10). New inputs that raise coverage go to a scratch corpus, not the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null

failed=0
for name in ini bookmark columns integer; do
  work=$(mktemp -d)
  cp fuzz/corpus/"$name"/* "$work"/
  log="$work.log"
  echo "== fuzz_$name for ${seconds}s"
  if build-fuzz/fuzz/fuzz_"$name" -max_total_time="$seconds" -max_len=4096 \
       -print_final_stats=1 "$work" >"$log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log" || true
  else
    echo "fuzz_$name found a fault:"
    grep -E -A30 '==[0-9]+==ERROR|deadly signal' "$log" | head -60
    failed=1
  fi
  rm -rf "$work" "$log"
done
exit $failed
