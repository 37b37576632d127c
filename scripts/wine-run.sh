#!/usr/bin/env bash
# Runs a program of the Windows tree under Wine, for CTest and the build: passes its
# output and exit code through, and when it fails says with which code, so that a
# process that ends before printing anything still tells how it ended.
#
# The program writes to files that are followed onto our own outputs, never to the
# caller's pipes: Wine's helpers that a program starts (the desktop process above all)
# inherit its descriptors and may outlive it by minutes, and a reader such as ctest
# waits for every holder of its pipe to let go.
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
err=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$out" "$err"' EXIT
started=$(date +%s%N)
wine "$@" </dev/null >"$out" 2>"$err" &
program=$!
tail -n +1 -s 0.05 --pid="$program" -f "$out" &
followers=$!
tail -n +1 -s 0.05 --pid="$program" -f "$err" >&2 &
followers="$followers $!"
wait "$program"
code=$?
wait $followers
if [ "$code" -ne 0 ]; then
  echo "wine-run: ${1##*/} ended with exit code $code after $((($(date +%s%N) - started) / 1000000)) ms" >&2
fi
exit "$code"
