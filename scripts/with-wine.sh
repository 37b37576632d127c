#!/usr/bin/env bash
# Runs a command with a private Wine environment: an Xvfb display of its own (or the
# user's DISPLAY with --user-display), a Wine prefix under build/ with the fonts the
# program needs, and a wineserver kept for the run. What it started (that server and
# that display, nothing else) is stopped when the command ends, also when it fails or
# is interrupted.
#
#   scripts/with-wine.sh [--user-display] COMMAND [ARGS...]
#
# The command sees DISPLAY, WINEPREFIX, WINEDEBUG and TVSE_XVFB_DISPLAY (the display
# number when Xvfb was started here).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
use_user_display=0
if [ "${1:-}" = "--user-display" ]; then
  use_user_display=1
  shift
fi
[ $# -gt 0 ] || { echo "usage: $0 [--user-display] COMMAND [ARGS...]" >&2; exit 2; }

# Always the project's own prefix, whatever WINEPREFIX the caller has set: a user's
# prefix is never touched. TVSE_WINEPREFIX names another private one (a second
# session beside a running one).
export WINEPREFIX="${TVSE_WINEPREFIX:-$root/build/wineprefix}"
# Tells tests that the prefix is theirs to reset (registry keys a crashed run left).
export TVSE_OWN_PREFIX=1
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

xvfb_pid=
server_pid=
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$server_pid" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "$use_user_display" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  echo "with-wine: using DISPLAY=$DISPLAY" >&2
else
  # Xvfb picks a free display itself and writes its number to the descriptor.
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <"$fifo" || { rm -f "$fifo"; echo "with-wine: Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$display_number"
  export TVSE_XVFB_DISPLAY="$display_number"
fi

if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.tvse-ready" ]; then
  echo "with-wine: creating the Wine prefix $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$fonts/"
  fonts_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
  wine reg add "$fonts_key" /v "Tahoma (TrueType)" /t REG_SZ /d tahoma.ttf /f >/dev/null 2>&1
  wine reg add "$fonts_key" /v "Tahoma Bold (TrueType)" /t REG_SZ /d tahomabd.ttf /f >/dev/null 2>&1
  # A crashing test must fail, not wait for someone to close a dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tvse-ready"
fi

# Persistent while the command runs, and for 30 s after its last process: a run killed
# hard leaves the server behind for no longer than that.
wineserver -p30 &
server_pid=$!
# A server already running for this prefix (another session's) makes this one exit at
# once: that server is not ours to stop.
sleep 0.3
if ! kill -0 "$server_pid" 2>/dev/null; then
  wait "$server_pid" 2>/dev/null || true
  server_pid=
fi
# Start Wine's own services now, with no pipe of the caller's: a service started by the
# first program would inherit its output and keep a reader such as ctest waiting.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# Without a window manager (our own Xvfb), Wine waits about 2 s for one whenever a
# managed window is destroyed; unmanaged windows skip that. A user's desktop keeps
# managed windows, with frames.
x11_key='HKCU\Software\Wine\X11 Driver'
if [ -n "${TVSE_XVFB_DISPLAY:-}" ]; then
  wine reg add "$x11_key" /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 || true
else
  wine reg delete "$x11_key" /v Managed /f </dev/null >/dev/null 2>&1 || true
fi

"$@"
