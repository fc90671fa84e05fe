#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: the native unit tests,
# the unit tests under Wine in a 64-bit and in a 32-bit prefix, and the
# end-to-end tests (which make their own prefixes).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
scripts/build.sh

status=0
run() { echo "== $*"; "$@" || status=1; }
run scripts/check-imports.sh build/release/driver/TVRemover.exe
run ctest --test-dir build/native --output-on-failure
# A short pass of every fuzz target over its seed corpus (about a minute in all).
run scripts/fuzz.sh "${TVR_FUZZ_SECONDS:-6}"

# The two prefixes are independent machines, so their unit runs overlap; each
# run's output is shown whole once both are done.
logs=$(mktemp -d)
for arch in win64 win32; do
  scripts/with-prefix.sh $arch -- ctest --test-dir build/tests -L unit --output-on-failure \
    >"$logs/$arch.txt" 2>&1 &
  echo $! >"$logs/$arch.pid"
done
for arch in win64 win32; do
  echo "== unit tests under Wine, $arch prefix"
  wait "$(cat "$logs/$arch.pid")" || status=1
  cat "$logs/$arch.txt"
done
rm -rf "$logs"

# Every end-to-end test makes its own prefix (and network namespace where it
# needs a mail server), so they may run side by side.
run ctest --test-dir build/tests -L e2e --output-on-failure -j "${TVR_TEST_JOBS:-3}"
if [ $status = 0 ]; then echo "test: all passed"; else echo "test: FAILURES above"; fi
exit $status
