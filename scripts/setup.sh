#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, and fetches Lua's
# sources into the ignored cache folder. Idempotent: does nothing when all is there.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/.cache"
lua_version=5.2.4

packages=(
  cmake ninja-build g++ make python3
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev libz-mingw-w64-dev
  zlib1g-dev googletest libgtest-dev libbenchmark-dev
  wine wine64 fonts-wine fonts-dejavu-core xvfb xauth x11-apps imagemagick xdotool
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Lua is not packaged for the Windows target: take the original tarball from Debian's
# source archive with a private apt configuration that leaves the system's alone.
lua_dir="$cache/lua5.2-$lua_version"
if [ ! -f "$lua_dir/src/lua.h" ]; then
  mkdir -p "$cache/apt/lists/partial" "$cache/apt/sources" "$cache/download"
  uris=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uris" ] || uris=http://deb.debian.org/debian
  cat > "$cache/apt/sources/lua-src.sources" <<SRC
Types: deb-src
URIs: $uris
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$cache/apt/sources"
            -o "Dir::State::Lists=$cache/apt/lists" -o Debug::NoLocking=1)
  as_root apt-get "${apt_opts[@]}" update -q
  (cd "$cache/download" && as_root apt-get "${apt_opts[@]}" source --download-only lua5.2)
  tar -xzf "$cache/download/lua5.2_${lua_version}.orig.tar.gz" -C "$cache"
  test -f "$lua_dir/src/lua.h"
fi
