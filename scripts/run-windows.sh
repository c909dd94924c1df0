#!/usr/bin/env bash
# Runs brisko.exe under Wine against the simulated logger: cross-builds
# brisko.exe (the shipped 32-bit one, or where this machine runs no 32-bit
# programs an x86_64 build of the same sources: windows_build_choose in
# scripts/lib.sh), builds brisko-sim, makes a private Wine prefix whose COM3 is the
# simulator's pseudo-terminal, and starts brisko.exe in a private working
# directory whose BRISKO.INI names COM3. With a display the window stays until
# it is closed; without one it runs under Xvfb, saves a screenshot once the
# logger's data is shown, prints its path and ends everything.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# shellcheck source=scripts/lib.sh
source scripts/lib.sh

scripts/install-deps.sh all
windows_build_choose
wine=$BRISKO_WINE

build=${BRISKO_BUILD_DIR:-build}
windows=$build$WINDOWS_BUILD_SUFFIX
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target brisko-sim
cmake -S . -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/$WINDOWS_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
  -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_BENCH=OFF >/dev/null
cmake --build "$windows" --target brisko

work=$(mktemp -d "${TMPDIR:-/tmp}/brisko-wine.XXXXXX")
mkdir -m 700 "$work/ports" "$work/run"
export WINEDEBUG=-all WINEPREFIX="$work/prefix"
SIM_PID="" XVFB_PID="" brisko_pid=""
stop() {
  wineserver -k 2>/dev/null || true
  stop_processes "$brisko_pid" "$SIM_PID" "$XVFB_PID"
}
trap stop EXIT

# Without a display, a private X server.
headless=""
if [[ -z "${DISPLAY:-}" ]]; then
  xvfb_start "$work"
  headless=1
fi

echo "making a Wine prefix in $WINEPREFIX"
if ! "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
  echo "Wine could not make a prefix ($wine wineboot -i):" >&2
  tail -n 5 "$work/wineboot.log" >&2
  exit 1
fi
# On the private X server no window manager runs: Wine places, decorates and
# focuses its windows itself.
if [[ -n "$headless" ]]; then
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$work/wineboot.log" 2>&1
fi

BRISKO_PORTS_DIR="$work/ports" sim_start "$work/sim.log" "$root/$build/sim/brisko-sim" --port 3
ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com3"
printf '3' >"$work/run/BRISKO.INI"
echo "brisko-sim is COM3; its log: $work/sim.log"

if [[ -z "$headless" ]]; then
  (cd "$work/run" && "$wine" "$root/$windows/app/brisko.exe")
  exit 0
fi

started=$(date +%s.%N)
(cd "$work/run" && exec "$wine" "$root/$windows/app/brisko.exe") >"$work/brisko.log" 2>&1 &
brisko_pid=$!
capture_session "$brisko_pid" "$started" "$work/brisko.log" "$work/sim.log" "$work/brisko-windows.png" screen || exit 1
brisko_pid=""
echo "BRISKO.INI after the run: $(cat "$work/run/BRISKO.INI")"
