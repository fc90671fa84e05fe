#!/usr/bin/env bash
# Fetches Debian's Google Benchmark source package (1.7.1) once; bench/run.sh
# cross-builds it for Windows with the same compiler as the benchmark programs,
# as the tests tree does with GoogleTest.
set -euo pipefail
deps=${TVR_DEPS:-$(cd "$(dirname "$0")/.." && pwd)/.deps}
mkdir -p "$deps"
if [ -f "$deps/benchmark-src/src/benchmark.cc" ]; then
  exit 0
fi
work=$(mktemp -d "$deps/benchmark-fetch.XXXXXX")
( cd "$work" && apt-get source -qq --download-only benchmark >/dev/null 2>&1 \
  && dpkg-source --no-check -x benchmark_*.dsc src >/dev/null )
rm -rf "$deps/benchmark-src"
mv "$work/src" "$deps/benchmark-src"
rm -rf "$work"
