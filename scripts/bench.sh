#!/usr/bin/env bash
# Benchmarks, each figure a ratio or a distribution from one run: receive-path
# throughput; latency from a line's last byte on the pseudo-terminal to the
# record; spacing of queued commands on the wire; ClosePort's duration; time
# from starting brisko to its window showing the simulator's data (Xvfb); the
# restored port's data with COM5-COM7 taking 2.5 s each to open, on Linux and
# under Wine; time from a port's arrival to its list entry after a burst of 20
# plug/unplug rounds (Linux); and resident memory and CPU share while idle with a port open,
# of the core, of brisko and of brisko.exe under Wine with its Wine server.
# Ends with each figure against its requirement. Figures from this machine are
# in bench/README.md.
#
# Usage: scripts/bench.sh [idle seconds, default 30]
# BRISKO_BENCH_DIR names the build directory (default build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

idle=${1:-30}
scripts/install-deps.sh run
out=$(mktemp /tmp/brisko-bench-XXXXXX.log)
build=$(realpath -m "${BRISKO_BENCH_DIR:-build-bench}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRISKO_WERROR=ON >/dev/null
cmake --build "$build" --target brisko_bench_receive brisko_bench_link brisko_soak_core brisko_proc_sample \
  brisko-sim brisko brisko_startup_probe brisko_bench_slow_ports brisko_bench_port_burst
# The same start-up with slow ports, cross-built for Wine (the 32-bit build,
# or x86_64 where this machine runs no 32-bit programs).
source scripts/lib.sh
windows_build_choose
wine=$BRISKO_WINE
windows=$build$WINDOWS_BUILD_SUFFIX
cmake -S . -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(pwd)/$WINDOWS_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
  -DBRISKO_WERROR=ON -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_TESTS=OFF -DBRISKO_BUILD_BENCH=ON >/dev/null
cmake --build "$windows" --target brisko_bench_slow_ports brisko

echo "== receive path (Google Benchmark, 5 repetitions; bytes_per_second against CPU time)"
"$build/bench/brisko_bench_receive" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true | tee -a "$out"

echo "== link on a pseudo-terminal: latency, command spacing, ClosePort"
"$build/bench/brisko_bench_link" | tee -a "$out"
echo "== the same latency and spacing with a trace of the line running"
trace=$(mktemp /tmp/brisko-bench-trace-XXXXXX)
"$build/bench/brisko_bench_link" --trace "$trace" latency spacing | tee -a "$out"
rm -f "$trace"

echo "== core idle with a port open: brisko-sim in its normal mode, $idle s"
"$build/bench/brisko_soak_core" --seconds "$idle" --warmup 5 --every 5 -- | grep -E '^(soak: (simulator|rss|posted|PASS|FAIL)|FAIL)' |
  tee -a "$out"

source bench/desktop_session.sh
trap 'session_stop; rm -f "$out"' EXIT
session_start
session_sim_start

echo "== brisko under Xvfb: start to window painted and to the logger's data shown"
"$build/bench/brisko_startup_probe" --tool "$build/app/brisko" --port "$SIM_PORT" --workdir "$SESSION/run" --runs 5 | tee -a "$out"

echo "== start-up with COM5-COM7 slow to open (2.5 s each): Linux, then Wine"
"$build/bench/brisko_bench_slow_ports" --port "$SIM_PORT" --runs 5
if [[ -n $wine ]]; then
  export WINEDEBUG=-all WINEPREFIX="$SESSION/wine"
  "$wine" wineboot -i >"$SESSION/wineboot.log" 2>&1
  ln -sfn "$(sed -n 's/^brisko-sim: COM[0-9]* -> //p' "$SESSION/sim.log" | head -1)" \
    "$WINEPREFIX/dosdevices/com$SIM_PORT"
  "$wine" "$windows/bench/brisko_bench_slow_ports.exe" --port "$SIM_PORT" --runs 5
  wineserver -k
  unset WINEPREFIX
fi

echo "== a port's arrival to its list entry after 20 plug/unplug rounds of another adapter (Linux)"
"$build/bench/brisko_bench_port_burst" --runs 5 --rounds 20 | tee -a "$out"

echo "== brisko idle with a port open, $idle s"
tool_start
sleep 5  # past start-up and the identification
"$build/bench/brisko_proc_sample" --pid "$TOOL_PID" --seconds "$idle" --every 5 | tail -n 1 |
  sed 's/^process [0-9]*/brisko/' | tee -a "$out"
tool_close
echo "Escape ended brisko in $TOOL_EXIT_SECONDS s"

# brisko.exe in a Wine prefix (the slow-port run's, else a fresh one) whose COM
# port is the same simulator, and the Wine server of that prefix, which
# brisko.exe's every port call goes through: their CPU time from /proc.
echo "== brisko.exe under Wine with its Wine server, idle with a port open, $idle s"
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
wine_server_of() {  # the Wine server started for the prefix $WINEPREFIX
  local dir
  for dir in /proc/[0-9]*; do
    [[ $(cat "$dir/comm" 2>/dev/null) == wineserver* ]] || continue
    tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && { basename "$dir"; return; }
  done
}
export WINEDEBUG=-all WINEPREFIX="$SESSION/wine"
trap 'wineserver -k 2>/dev/null || true; session_stop; rm -f "$out"' EXIT
[[ -d $WINEPREFIX ]] || "$wine" wineboot -i >"$SESSION/wineboot.log" 2>&1
ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com$SIM_PORT"
mkdir -p "$SESSION/wine-run"
printf '%d' "$SIM_PORT" >"$SESSION/wine-run/BRISKO.INI"
(cd "$SESSION/wine-run" && exec "$wine" "$windows/app/brisko.exe") >"$SESSION/brisko-exe.log" 2>&1 &
exe_pid=$!
sleep 30  # past the fresh prefix's own start-up (its services keep the server busy) and the identification
server_pid=$(wine_server_of)
if [[ -z $server_pid ]] || ! kill -0 "$exe_pid" 2>/dev/null; then
  echo "FAIL: brisko.exe or its Wine server is not running" | tee -a "$out"
else
  exe_before=$(cpu_ticks "$exe_pid") server_before=$(cpu_ticks "$server_pid")
  sleep "$idle"
  exe_after=$(cpu_ticks "$exe_pid") server_after=$(cpu_ticks "$server_pid")
  awk -v e=$((exe_after - exe_before)) -v s=$((server_after - server_before)) -v hz="$(getconf CLK_TCK)" \
    -v t="$idle" 'BEGIN { printf "brisko.exe: cpu share %.4f, its Wine server %.4f, together %.4f\n",
                          e / hz / t, s / hz / t, (e + s) / hz / t }' | tee -a "$out"
fi
wineserver -k 2>/dev/null || true
wait "$exe_pid" 2>/dev/null || true

# Each figure against its requirement: "ratio" is measured / required, so
# a bound from above is met at 1 or less, one from below at more than 1.
echo "== requirements"
figure() {  # name, measured, unit, bound (<= or > or >=), required
  awk -v name="$1" -v m="$2" -v unit="$3" -v op="$4" -v r="$5" 'BEGIN {
    if (m == "") { printf "%-58s not measured\n", name; exit }
    met = (op == "<=" && m <= r) || (op == ">" && m > r) || (op == ">=" && m >= r)
    printf "%-58s %10.4g %-6s required %s %-8g ratio %.3f %s\n", name, m, unit, op, r, m / r, met ? "met" : "NOT MET" }'
}
field() { grep -m 1 "$1" "$out" | grep -o "$2=[0-9.]*" | head -n 1 | cut -d= -f2; }
share() { grep -m 1 "$1" "$out" | sed -n "s/.*$2 \([0-9.]*\).*/\1/p"; }
figure "idle CPU, port open, simulator normal, ${idle} s: core" "$(awk -v s="$(share '^soak: rss' 'cpu share')" \
  'BEGIN { if (s != "") print s * 100 }')" "%" "<=" 0.1
figure "idle CPU, brisko under Xvfb" "$(awk -v s="$(share '^brisko:' 'cpu share')" \
  'BEGIN { if (s != "") print s * 100 }')" "%" "<=" 0.2
figure "idle CPU, brisko.exe under Wine with its Wine server" "$(awk -v s="$(share '^brisko.exe:' 'together')" \
  'BEGIN { if (s != "") print s * 100 }')" "%" "<=" 0.5
figure "latency, last byte on the pty to record updated, p99" "$(field '^latency' p99)" ms "<=" 2
figure "command spacing on the wire (write calls), min" "$(field '^spacing of [0-9]* queued commands, write' min)" \
  ms ">" 100
figure "command spacing on the wire (write calls), max" "$(field '^spacing of [0-9]* queued commands, write' max)" \
  ms "<=" 110
figure "port arrival to its list entry after a burst, max" \
  "$(grep -m 1 '^port arrival to its list entry' "$out" | sed -n 's/.*max \([0-9.]*\) s.*/\1/p')" s "<=" 2
figure "ClosePort, empty queue, median" "$(field '^ClosePort, empty' median)" ms "<=" 800
figure "receive path, median" "$(grep -m 1 'BM_ReceivePath_median' "$out" |
  sed -n 's/.*bytes_per_second=\([0-9.]*\)Mi\{0,1\}\/s.*/\1/p')" "MiB/s" ">=" 151
figure "start to the logger's data shown, median / 300 ms floor" \
  "$(field '/ 300 ms pacing floor' median)" "x" "<=" 1.15
