#!/usr/bin/env bash
# Soak: brisko-sim floods the line (the full 57600-baud rate, 1% of the bytes
# damaged) for a while, first against the link and protocol core, then
# against the desktop tool under Xvfb. Passes when nothing crashed, resident
# memory stayed within 1 MiB after warm-up, every good sentence written was
# posted and handed to the core,
# and the window kept repainting and still answered Escape (tool).
#
# Usage: scripts/soak.sh [minutes] [core|tool|both]     (default: 10 both)
# The minutes are per part; BRISKO_BENCH_DIR names the build (build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-10}
what=${2:-both}
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60); print (s > 0 ? s : 0) }')
[[ "$seconds" -gt 0 && "$what" =~ ^(core|tool|both)$ ]] || { echo "usage: $0 [minutes] [core|tool|both]" >&2; exit 2; }
warmup=$(( seconds / 10 < 60 ? seconds / 10 : 60 ))

scripts/install-deps.sh run
build=$(realpath -m "${BRISKO_BENCH_DIR:-build-bench}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRISKO_WERROR=ON >/dev/null
targets=(brisko-sim brisko_soak_core brisko_proc_sample)
[[ "$what" == core ]] || targets+=(brisko)
cmake --build "$build" --target "${targets[@]}"

failed=0

if [[ "$what" != tool ]]; then
  echo "== core: link and protocol against brisko-sim --flood --noise 0.01, $seconds s"
  "$build/bench/brisko_soak_core" --seconds "$seconds" --warmup "$warmup" --every 5 || failed=1
fi

if [[ "$what" != core ]]; then
  echo "== tool: brisko under Xvfb against brisko-sim --flood --noise 0.01, $seconds s"
  source bench/desktop_session.sh
  trap session_stop EXIT
  session_start
  session_sim_start --flood --noise 0.01
  tool_start
  "$build/bench/brisko_proc_sample" --pid "$TOOL_PID" --seconds "$seconds" --every 5 --warmup "$warmup" \
    --max-rss-spread 1024 >"$SESSION/usage.log" &
  sampler=$!
  # Responsive: the window shows new positions, so every screenshot differs
  # from the one before unless the user-interface thread has stalled.
  shots=0 stalls=0 previous=$(window_hash)
  while ! ended "$sampler" 15; do
    current=$(window_hash)
    shots=$((shots + 1))
    if [[ "$current" == "$previous" ]]; then
      stalls=$((stalls + 1))
      echo "the window did not change in 15 s (screenshot $shots)"
    fi
    previous=$current
  done
  wait "$sampler" || failed=1
  tail -n 3 "$SESSION/usage.log"
  echo "screenshots: $shots, unchanged from the one before: $stalls"
  [[ $stalls -eq 0 ]] || failed=1
  if tool_close; then
    echo "Escape ended brisko in $TOOL_EXIT_SECONDS s (exit status 0)"
  else
    echo "FAIL: brisko did not end cleanly after Escape"
    failed=1
  fi
  grep -E "stopped|error|Error" "$SESSION/brisko.log" || true
fi

if [[ $failed -eq 0 ]]; then echo "soak: PASS"; else echo "soak: FAIL"; fi
exit $failed
