#!/usr/bin/env bash
# Benchmarks, each figure a ratio or a distribution from one run: receive-path
# throughput; latency from a line's last byte on the pseudo-terminal to the
# record; spacing of queued commands on the wire; ClosePort's duration; time
# from starting brisko to its window showing the simulator's data (Xvfb); the
# restored port's data with COM5-COM7 taking 2.5 s each to open, on Linux and
# under Wine; and
# resident memory and CPU share while idle with a port open, of the core and
# of brisko. Figures from this machine are in bench/README.md.
#
# Usage: scripts/bench.sh [idle seconds, default 30]
# BRISKO_BENCH_DIR names the build directory (default build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

idle=${1:-30}
scripts/install-deps.sh run
build=$(realpath -m "${BRISKO_BENCH_DIR:-build-bench}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRISKO_WERROR=ON >/dev/null
cmake --build "$build" --target brisko_bench_receive brisko_bench_link brisko_soak_core brisko_proc_sample \
  brisko-sim brisko brisko_startup_probe brisko_bench_slow_ports
# The same start-up with slow ports, cross-built for Wine.
cmake -S . -B "$build-mingw" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DBRISKO_WERROR=ON -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_TESTS=OFF -DBRISKO_BUILD_BENCH=ON >/dev/null
cmake --build "$build-mingw" --target brisko_bench_slow_ports

echo "== receive path (Google Benchmark, 5 repetitions; bytes_per_second against CPU time)"
"$build/bench/brisko_bench_receive" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

echo "== link on a pseudo-terminal: latency, command spacing, ClosePort"
"$build/bench/brisko_bench_link"

echo "== core idle with a port open: brisko-sim in its normal mode, $idle s"
"$build/bench/brisko_soak_core" --seconds "$idle" --warmup 5 --every 5 -- | grep -E '^(soak: (simulator|rss|posted|PASS|FAIL)|FAIL)'

source bench/desktop_session.sh
trap session_stop EXIT
session_start
session_sim_start

echo "== brisko under Xvfb: start to window painted and to the logger's data shown"
"$build/bench/brisko_startup_probe" --tool "$build/app/brisko" --port "$SIM_PORT" --workdir "$SESSION/run" --runs 5

echo "== start-up with COM5-COM7 slow to open (2.5 s each): Linux, then Wine"
"$build/bench/brisko_bench_slow_ports" --port "$SIM_PORT" --runs 5
wine=$(sed -n 's/^BRISKO_WINE:FILEPATH=//p' "$build-mingw/CMakeCache.txt")
if [[ -n $wine && $wine != *NOTFOUND ]]; then
  export WINEDEBUG=-all WINEPREFIX="$SESSION/wine"
  wineboot -i >"$SESSION/wineboot.log" 2>&1
  ln -sfn "$(sed -n 's/^brisko-sim: COM[0-9]* -> //p' "$SESSION/sim.log" | head -1)" \
    "$WINEPREFIX/dosdevices/com$SIM_PORT"
  "$wine" "$build-mingw/bench/brisko_bench_slow_ports.exe" --port "$SIM_PORT" --runs 5
  wineserver -k
  unset WINEPREFIX
fi

echo "== brisko idle with a port open, $idle s"
tool_start
sleep 5  # past start-up and the identification
"$build/bench/brisko_proc_sample" --pid "$TOOL_PID" --seconds "$idle" --every 5 | tail -n 1
tool_close
echo "Escape ended brisko in $TOOL_EXIT_SECONDS s"
