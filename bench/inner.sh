#!/usr/bin/env bash
# The benchmark run proper, started by bench/run.sh inside the mail servers'
# private network and a fresh 64-bit prefix (WINEPREFIX, wine server running).
#
#   inner.sh OUT_DIR REPETITIONS
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1 reps=$2
programs=$TVR_BENCH_PROGRAMS
work=$WINEPREFIX/drive_c/bench
mkdir -p "$work"
note() { echo "bench: $(date -u +%H:%M:%S) $*" >&2; }

# The whole run goes first, on a machine without the seeded keys.
if [ -n "${TVR_BENCH_WHOLE_RUN:-}" ]; then
  note "whole run"
  /usr/bin/python3 "$here/whole_run.py" "$out/whole_run.json" || note "whole run failed"
fi

note "seeding the registry (${TVR_BENCH_KEYS:-200000} keys)"
/usr/bin/python3 "$here/seed_registry.py" "$work/seed.reg" "${TVR_BENCH_KEYS:-200000}"
start=$(date +%s%N)
wine reg import 'C:\bench\seed.reg' </dev/null >/dev/null 2>&1
end=$(date +%s%N)
echo "{\"seed_ms\": $(( (end - start) / 1000000 ))}" >"$out/seed.json"
rm -f "$work/seed.reg"

# A server that reads and drops everything, for the cost of one send().
/usr/bin/python3 -c '
import socket, threading
server = socket.socket(); server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", 2626)); server.listen(8)
def drain(connection):
    while connection.recv(65536): pass
while True:
    connection, _ = server.accept()
    threading.Thread(target=drain, args=(connection,), daemon=True).start()
' &
sink=$!
trap 'kill $sink 2>/dev/null || true' EXIT
export TVR_BENCH_SINK_PORT=2626
sleep 0.5

note "in-process figures ($reps repetitions, interleaved)"
( cd "$work" && WINEDEBUG=-all wine "$programs/tvr_bench.exe" \
    --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
    --benchmark_filter='registry_walk|logging_(ours|baseline)' \
    --benchmark_out='C:\bench\inprocess.json' --benchmark_out_format=json \
    </dev/null >"$work/console.txt" 2>"$out/tvr_bench.err" )
cp "$work/inprocess.json" "$out/inprocess.json"
note "where logging's time goes (one repetition)"
( cd "$work" && wine "$programs/tvr_bench.exe" --benchmark_filter=logging_profile \
    --benchmark_out='C:\bench\profile.json' --benchmark_out_format=json \
    </dev/null >"$work/console.txt" 2>>"$out/tvr_bench.err" )
cp "$work/profile.json" "$out/logging_profile.json"
note "one send() under Wine and natively"
( cd "$work" && wine "$programs/tvr_bench.exe" --benchmark_filter=send \
    --benchmark_out='C:\bench\send.json' --benchmark_out_format=json </dev/null >/dev/null 2>&1 )
cp "$work/send.json" "$out/send_wine.json"
"$TVR_BENCH_NATIVE_SEND" --benchmark_out="$out/send_native.json" --benchmark_out_format=json \
  >/dev/null 2>&1

note "whole-process figures ($reps repetitions, alternating)"
/usr/bin/python3 "$here/whole_process.py" "$out/whole.json" "$reps"
note "done"
