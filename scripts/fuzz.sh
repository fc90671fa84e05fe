#!/usr/bin/env bash
# Builds the fuzzing tree (build/fuzz: clang, libFuzzer, AddressSanitizer, UBSan)
# and runs every fuzz target of tests/fuzz for SECONDS each (default 60), one at a
# time on one core, starting from the seed corpus in tests/fuzz/corpus/<target>.
# New interesting inputs collect in build/fuzz/corpus/<target>; an input that
# crashes or breaks an invariant is kept as build/fuzz/findings/<target>-crash-*
# and makes the script fail. Prints one line of figures per target.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-60}
shift || true

targets=(base64_fuzz hex_fuzz quoted_printable_fuzz charset_name_fuzz header_value_fuzz
         smtp_reply_fuzz read_line_fuzz product_version_fuzz config_document_fuzz)
[ $# -gt 0 ] && targets=("$@")

tree=build/fuzz
[ -f "$tree/build.ninja" ] || cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DTVR_BUILD_FUZZERS=ON >/dev/null
ninja -C "$tree" -j "${TVR_JOBS:-$(nproc)}" "${targets[@]}" >/dev/null ||
  { ninja -C "$tree" -j 1 "${targets[@]}"; exit 1; }

mkdir -p "$tree/findings"
status=0
printf '%-24s %10s %6s %8s %8s %s\n' target runs secs cov ft result
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  corpus="$tree/corpus/$name"
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096
           -print_final_stats=1 -artifact_prefix="$tree/findings/$target-")
  [ -f "tests/fuzz/$name.dict" ] && options+=(-dict="tests/fuzz/$name.dict")
  log="$tree/$target.log"
  result=ok
  nice "$tree/tests/fuzz/$target" "${options[@]}" "$corpus" "tests/fuzz/corpus/$name" \
    >"$log" 2>&1 || { result="FAILED (see $log)"; status=1; }
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  printf '%-24s %10s %6s %8s %8s %s\n' "$target" "${runs:--}" "${secs:--}" "${cov:--}" \
    "${ft:--}" "$result"
  [ "$result" = ok ] || grep -E 'ERROR|invariant|runtime error|SUMMARY|Test unit written' "$log" | head -5
done
exit $status
