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
# The logger's data is on screen once the window exists and the simulator has
# answered the tool's identification (it replies at once; the tool shows each
# reply as it arrives).
window=""
identified() { grep -qF "rx \"\$NT800,1\" checksum ok" "$work/sim.log"; }
if ! { wait_until 300 find_brisko_window && wait_until 300 identified; }; then
  cat "$work/brisko.log" "$work/sim.log" >&2
  exit 1
fi
shown=$(date +%s.%N)
awk -v from="$started" -v to="$shown" 'BEGIN { printf "window showing the simulated logger %.2f s after start\n", to - from }'
echo "window title: \"$(xdotool getwindowname "$window")\""

# Let the readings (sent every 3 s) arrive too, then take the picture.
sleep 3.5
shot="$work/brisko.png"
import -window "$window" "$shot" 2>/dev/null || import -window root "$shot"
echo "screenshot: $shot"

# Leave as a user would (Escape): the tool drains, closes and saves its port.
if ! press_key "$window" Escape; then
  echo "could not press Escape in the brisko window" >&2
  exit 1
fi
if ! ended "$brisko_pid" 10; then
  echo "brisko did not end after Escape" >&2
  exit 1
fi
status=0
wait "$brisko_pid" || status=$?
brisko_pid=""
if ((status != 0)); then
  echo "brisko ended with status $status" >&2
  cat "$work/brisko.log" >&2
  exit 1
fi
echo "BRISKO.INI after the run: $(cat "$work/run/BRISKO.INI")"
