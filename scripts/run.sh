#!/usr/bin/env bash
# `make run`: set-up if needed, build, write the sample installation and run the
# program under Wine with the sample as its current directory. Uses the user's DISPLAY
# when there is one, else a private Xvfb display (its number is printed, with the
# command that takes a screenshot of it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh
scripts/build-win.sh --target tvse
if [ -f tools/make_sample.py ]; then
  python3 tools/make_sample.py build/sample
fi
mkdir -p build/sample

run_program() {
  if [ -n "${TVSE_XVFB_DISPLAY:-}" ]; then
    echo "tvse runs on the Xvfb display $DISPLAY; screenshot:" >&2
    echo "  xwd -root -silent -display $DISPLAY | convert xwd:- shot.png" >&2
  fi
  cd "$root/build/sample"
  wine "$root/build/win/bin/tvse.exe"
}
export -f run_program
export root
exec scripts/with-wine.sh --user-display bash -c run_program
