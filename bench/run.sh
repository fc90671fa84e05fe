#!/usr/bin/env bash
# Runs every benchmark under Wine on this machine and prints the table:
# figure, ours, baseline, ratio, target. Run as root after the README's setup
# (scripts/setup.sh), from any folder:
#
#   bench/run.sh [REPETITIONS]     (default 2: about 22 minutes on 2 busy cores)
#
# Builds what it needs in build/bench-* trees, then, inside a private network
# with the mail servers and a fresh 64-bit prefix, runs the in-process figures
# (Google Benchmark, repetitions interleaved) and the whole-process ones (ours
# and the baseline alternating). Results land in build/bench-results/<time>/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
reps=${1:-2}
jobs=${TVR_JOBS:-2}

bench/setup-benchmark.sh
configure() {  # dir, extra arguments
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
configure build/bench-tree -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-posix.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTVR_BUILD_BENCH=ON -DTVR_BUILD_TESTS=ON
configure build/bench-release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-win32.cmake \
  -DCMAKE_BUILD_TYPE=Release
ninja -C build/bench-tree -j "$jobs" tvr_bench remove_folder_once submit_once \
  suite_service suite_tray suite_tools suite_config_writer >/dev/null
ninja -C build/bench-release -j "$jobs" TVRemover.exe >/dev/null
mkdir -p build/bench-native
g++ -O2 -o build/bench-native/native_send bench/send_bench.cpp -lbenchmark_main -lbenchmark -lpthread

out=$top/build/bench-results/$(date -u +%Y%m%dT%H%M%SZ)
mkdir -p "$out"
export TVR_BENCH_PROGRAMS=$top/build/bench-tree/bench
export TVR_BENCH_TEST_PROGRAMS=$top/build/bench-tree/tests/programs
export TVR_BENCH_EXE=$top/build/bench-release/driver/TVRemover.exe
export TVR_BENCH_NATIVE_SEND=$top/build/bench-native/native_send
export TVR_BENCH_WHOLE_RUN=${TVR_BENCH_WHOLE_RUN-1}
{
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "wine: $(wine --version 2>/dev/null)"
  echo "qemu: $(/usr/bin/qemu-i386-static --version 2>/dev/null | head -1)"
  echo "repetitions: $reps"
} >"$out/machine.txt"
start=$(date +%s)
tests/support/mail/with-mail-servers.sh --arch win64 -- bench/inner.sh "$out" "$reps"
{
  echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "bench time: $(( $(date +%s) - start )) s"
} >>"$out/machine.txt"
/usr/bin/python3 bench/report.py "$out" | tee "$out/table.md"
echo
cat "$out/machine.txt"
echo "results: $out"
