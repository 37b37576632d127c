#!/usr/bin/env bash
# Builds the benchmarks in an optimised native tree without sanitizers (build/bench)
# and runs every one of them, printing their figures; then builds the Windows tree's
# benchmarks (build/win) and runs them under Wine. Not part of `make test`.
#   scripts/bench.sh [BENCHMARK-NAME-PATTERN]
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

# The Windows program's benchmarks time themselves and print their own figures.
scripts/build-win.sh --target win_benchmarks
scripts/with-wine.sh bash -c '
  for bench in build/win/bin/bench_*.exe; do
    [ -f "$bench" ] || continue
    name=$(basename "$bench" .exe)
    case "$name" in $1) ;; *) continue ;; esac
    echo "=== $name (Windows, under Wine)"
    wine "$bench"
  done' bench-win "${1:-*}"
