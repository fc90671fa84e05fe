#!/usr/bin/env bash
# Builds the three trees: build/release (the shipped TVRemover.exe), build/tests
# (test executables and test programs, run under Wine) and build/native (the
# modules that never call Win32, with sanitizers, run on Linux).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=${TVR_JOBS:-$(nproc)}

configure() {  # dir, extra arguments
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
configure build/release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-win32.cmake -DCMAKE_BUILD_TYPE=Release
configure build/tests -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-posix.cmake -DCMAKE_BUILD_TYPE=Debug \
  -DTVR_BUILD_TESTS=ON -DTVR_RELEASE_EXE="$top/build/release/driver/TVRemover.exe"
configure build/native -DCMAKE_BUILD_TYPE=Debug -DTVR_BUILD_TESTS=ON \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-omit-frame-pointer"
# TVR_TREES picks trees and TVR_TARGETS_<tree> their targets (all by default),
# for callers that need only a few programs, such as the demo.
for tree in ${TVR_TREES:-release tests native}; do
  targets_of=TVR_TARGETS_$tree
  # shellcheck disable=SC2086
  ninja -C "build/$tree" -j "$jobs" ${!targets_of:-} >/dev/null ||
    { ninja -C "build/$tree" -j 1 ${!targets_of:-}; exit 1; }
done
echo "build: TVRemover.exe is at $top/build/release/driver/TVRemover.exe"
