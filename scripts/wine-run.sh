#!/usr/bin/env bash
# Runs a program of the Windows tree under Wine, for CTest and the build: passes its
# output and exit code through, and when it fails says with which code, so that a
# process that ends before printing anything still tells how it ended.
wine "$@"
code=$?
if [ "$code" -ne 0 ]; then
  echo "wine-run: ${1##*/} ended with exit code $code" >&2
fi
exit "$code"
