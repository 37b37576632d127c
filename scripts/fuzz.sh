#!/usr/bin/env bash
# The libFuzzer targets of the readers of mod data (fuzz/), built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz.
#
#   scripts/fuzz.sh --check          every target over its committed corpus, then a
#                                    short deterministic run (what `make test` runs)
#   scripts/fuzz.sh [TARGET] [SECONDS]
#                                    fuzz TARGET (all when omitted) for SECONDS each
#                                    (default 600); new inputs gather in
#                                    build/fuzz-corpus/TARGET, crashes and hangs in
#                                    build/fuzz-artifacts/TARGET
#
# An input that ever crashed or hung a target goes into fuzz/corpus/TARGET/ as a
# regression case, so that every later check replays it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
targets="sga module ucs image screen edits"

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTVSE_FUZZ=ON -DTVSE_SANITIZE=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc 2>/dev/null || echo 2)" --target $(printf 'fuzz_%s ' $targets)

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# Flags every run shares: per-input time and memory limits, so that a hang or a
# runaway allocation is a finding, and the format's dictionary where there is one.
common_flags() {
  local target=$1
  local flags=(-timeout=10 -rss_limit_mb=2560 -max_len=1048576)
  [ -f "fuzz/$target.dict" ] && flags+=("-dict=fuzz/$target.dict")
  printf '%s\n' "${flags[@]}"
}

if [ "${1:-}" = "--check" ]; then
  status=0
  for target in $targets; do
    mapfile -t flags < <(common_flags "$target")
    scratch=$(mktemp -d)
    # Replays the corpus (every regression case among it), then 2,000 mutations from
    # a fixed seed: the same inputs on every run.
    if ! build/fuzz/bin/fuzz_$target "${flags[@]}" -seed=1 -runs=2000 \
        -artifact_prefix="$scratch/" "$scratch" "fuzz/corpus/$target" >"$scratch/log" 2>&1; then
      echo "fuzz_$target: FAILED"; tail -n 40 "$scratch/log"; status=1
    else
      echo "fuzz_$target: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second\(s\)' "$scratch/log" | tail -n 1)"
    fi
    rm -rf "$scratch"
  done
  exit "$status"
fi

only=${1:-}
seconds=${2:-600}
for target in $targets; do
  [ -n "$only" ] && [ "$only" != "$target" ] && continue
  mapfile -t flags < <(common_flags "$target")
  mkdir -p "build/fuzz-corpus/$target" "build/fuzz-artifacts/$target"
  echo "=== fuzz_$target for $seconds s"
  build/fuzz/bin/fuzz_$target "${flags[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz-artifacts/$target/" "build/fuzz-corpus/$target" "fuzz/corpus/$target"
done
