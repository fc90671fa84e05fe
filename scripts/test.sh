#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: the native unit tests,
# the unit tests under Wine in a 64-bit and in a 32-bit prefix, and the
# end-to-end tests (which make their own prefixes).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

# How long each phase took, printed at the end: the run has a time limit in CI.
phase_times=()
timed() {  # timed PHASE COMMAND...: runs COMMAND and notes its time under PHASE
  local phase=$1 started=$SECONDS
  shift
  "$@"
  phase_times+=("$(printf '%-22s %4d s' "$phase" $((SECONDS - started)))")
}
print_phase_times() {
  echo "== time per phase"
  printf '  %s\n' "${phase_times[@]}"
  printf '  %-22s %4d s\n' "whole run" "$SECONDS"
}

status=0
run() { echo "== $*"; "$@" || status=1; }

timed setup scripts/setup.sh
# Cheap checks of the sources first, so a layering or layout slip shows at once.
timed "include directions" run scripts/check-includes.py
timed "format check" run scripts/check-format.sh
timed build scripts/build.sh

# Every gtest program reports its cases to $reports/CONFIG (Wine's Z: drive is
# /); a case or test that skipped where it should have run fails its
# configuration, since ctest counts a skipped case as passed.
reports=$(mktemp -d)
ctest_in() {  # ctest_in CONFIG DRIVE COMMAND...
  local config=$1 drive=$2 failed=0
  shift 2
  mkdir -p "$reports/$config"
  GTEST_OUTPUT="xml:$drive$reports/$config/" "$@" 2>&1 | tee "$reports/$config.txt" || failed=1
  scripts/check-skips.py "$config" "$reports/$config" "$reports/$config.txt" || failed=1
  return $failed
}

timed "import check" run scripts/check-imports.sh build/release/driver/TVRemover.exe
timed "native unit tests" run ctest_in native "" ctest --test-dir build/native --output-on-failure
# A short pass of every fuzz target over its seed corpus (about a minute in all).
timed "fuzzing pass" run scripts/fuzz.sh "${TVR_FUZZ_SECONDS:-6}"

# The prefixes are independent machines, so their unit runs overlap; each
# run's output is shown whole once all are done. The native-view Installer pass
# runs only on 64-bit Windows XP and Server 2003: its tests (label xp64) get a
# 64-bit prefix of their own that reports XP.
unit_started=$SECONDS
logs=$(mktemp -d)
for config in win64 win32 xp64; do
  case $config in
    xp64) prefix=(win64 --version winxp64); labels=xp64 ;;
    *) prefix=("$config"); labels=unit ;;
  esac
  ctest_in $config Z: scripts/with-prefix.sh "${prefix[@]}" -- \
    ctest --test-dir build/tests -L "$labels" --output-on-failure >"$logs/$config.txt" 2>&1 &
  echo $! >"$logs/$config.pid"
done
for config in win64 win32 xp64; do
  echo "== unit tests under Wine, $config prefix"
  wait "$(cat "$logs/$config.pid")" || status=1
  cat "$logs/$config.txt"
done
rm -rf "$logs"
phase_times+=("$(printf '%-22s %4d s' "Wine unit tests" $((SECONDS - unit_started)))")

# Every end-to-end test makes its own prefix (and network namespace where it
# needs a mail server), so they may run side by side.
timed "end-to-end tests" run ctest_in e2e Z: \
  ctest --test-dir build/tests -L e2e --output-on-failure -j "${TVR_TEST_JOBS:-3}"
rm -rf "$reports"
print_phase_times
if [ $status = 0 ]; then echo "test: all passed"; else echo "test: FAILURES above"; fi
exit $status
