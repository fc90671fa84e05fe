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
run scripts/with-prefix.sh win64 -- ctest --test-dir build/tests -L unit --output-on-failure
run scripts/with-prefix.sh win32 -- ctest --test-dir build/tests -L unit --output-on-failure
run ctest --test-dir build/tests -L e2e --output-on-failure
if [ $status = 0 ]; then echo "test: all passed"; else echo "test: FAILURES above"; fi
exit $status
