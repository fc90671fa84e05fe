#!/usr/bin/env bash
# Fetches Debian's boost1.74 source package once; the build compiles the
# Filesystem and Serialization sources from it for the Windows target.
set -euo pipefail
deps=${TVR_DEPS:-$(cd "$(dirname "$0")/.." && pwd)/.deps}
mkdir -p "$deps"
if [ -f "$deps/boost-src/libs/filesystem/src/operations.cpp" ]; then
  exit 0
fi
work=$(mktemp -d "$deps/boost-fetch.XXXXXX")
( cd "$work" && apt-get source -qq --download-only boost1.74 >/dev/null \
  && dpkg-source --no-check -x boost1.74_*.dsc src >/dev/null )
rm -rf "$deps/boost-src"
mv "$work/src" "$deps/boost-src"
rm -rf "$work"
# Debian's headers stand in for the missing top-level boost/ folder; a folder
# holding only this link keeps glibc's headers off the Windows include path.
mkdir -p "$deps/boost-include"
ln -sfn /usr/include/boost "$deps/boost-include/boost"
