#!/usr/bin/env bash
# Builds the benchmarks in an optimised native tree without sanitizers (build/bench)
# and runs every one of them, printing their figures. Not part of `make test`.
#   scripts/bench.sh [BENCHMARK-NAME-REGEX]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTVSE_SANITIZE=OFF >/dev/null
cmake --build build/bench -j "$(nproc 2>/dev/null || echo 2)"
for bench in build/bench/bin/bench_*; do
  [ -x "$bench" ] || continue
  case "$(basename "$bench")" in ${1:-*}) ;; *) continue ;; esac
  echo "=== $(basename "$bench")"
  "$bench" --benchmark_counters_tabular=true
done
