#!/usr/bin/env bash
# Runs brisko against the simulated logger: installs what is missing, builds
# brisko and brisko-sim, publishes the simulator's pseudo-terminal as a COM
# port in a private ports directory, and starts brisko in a private working
# directory whose BRISKO.INI names that port, so the window shows a live
# logger at once. Without a display it runs under Xvfb, saves a screenshot of
# the window once the logger's data is shown, prints its path and ends both.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# shellcheck source=scripts/lib.sh
source scripts/lib.sh

scripts/install-deps.sh run

build=${BRISKO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target brisko brisko-sim

work=$(mktemp -d "${TMPDIR:-/tmp}/brisko-run.XXXXXX")
mkdir -m 700 "$work/ports" "$work/run" "$work/xdg"
export BRISKO_PORTS_DIR="$work/ports"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/xdg}"

SIM_PID="" brisko_pid="" XVFB_PID=""
trap 'stop_processes "$brisko_pid" "$SIM_PID" "$XVFB_PID"' EXIT

sim_start "$work/sim.log" "$root/$build/sim/brisko-sim"
printf '%s' "$SIM_PORT" >"$work/run/BRISKO.INI"
echo "brisko-sim publishes COM$SIM_PORT; its log: $work/sim.log"

if [[ -n "${DISPLAY:-}" ]]; then
  # A desktop: the window stays until the user leaves it.
  (cd "$work/run" && "$root/$build/app/brisko")
  exit 0
fi

# No display: a private X server that keeps its state between clients.
xvfb_start "$work"

started=$(date +%s.%N)
(cd "$work/run" && exec "$root/$build/app/brisko") >"$work/brisko.log" 2>&1 &
brisko_pid=$!
capture_session "$brisko_pid" "$started" "$work/brisko.log" "$work/sim.log" "$work/brisko.png" window || exit 1
brisko_pid=""
echo "BRISKO.INI after the run: $(cat "$work/run/BRISKO.INI")"
