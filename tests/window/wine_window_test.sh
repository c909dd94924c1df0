#!/usr/bin/env bash
# brisko.exe's window under Wine on a private X server, against brisko-sim on
# a pseudo-terminal linked into the Wine prefix as COM3, started in a working
# directory whose BRISKO.INI holds "3". Checks: the window "Brisko 1.8"
# appears; the simulator's identity and pilot texts show in its controls
# (read by window_peek.exe, no pixels); the port list holds 3 and no number
# without a link; a pilot name typed with the keyboard, with a comma the field
# rule refuses, and sent with Alt+S reaches the simulator byte for byte;
# Escape ends the program; BRISKO.INI then holds "3". Prints how long the
# window took to show the logger's data.
# Usage: wine_window_test.sh BRISKO_EXE WINDOW_PEEK_EXE BRISKO_SIM
# Environment: WINEPREFIX (a prefix made with wineboot), BRISKO_WINE (wine64),
# DISPLAY (an X server without a window manager; without it, one of its own).
set -euo pipefail
here=$(dirname "$0")
# shellcheck source=scripts/lib.sh
source "$here/../../scripts/lib.sh"
exe=$(realpath "$1") peek=$(realpath "$2") sim=$(realpath "$3")
wine=${BRISKO_WINE:-wine64}
: "${WINEPREFIX:?a Wine prefix is needed}"
export WINEDEBUG=-all

work=$(mktemp -d "${TMPDIR:-/tmp}/brisko-window.XXXXXX")
mkdir -m 700 "$work/ports" "$work/run"
SIM_PID="" XVFB_PID="" brisko_pid=""
cleanup() {
  # The Wine server may hold the pseudo-terminal: it goes before the simulator.
  wineserver -k 2>/dev/null || true
  stop_processes "$brisko_pid" "$SIM_PID" "$XVFB_PID"
  rm -f "$WINEPREFIX/dosdevices/com3"
  rm -rf "$work"
  return 0
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in sim.log brisko.log xvfb.log; do
    [[ -s "$work/$log" ]] && { echo "--- $log" >&2; tail -n 40 "$work/$log" >&2; }
  done
  exit 1
}

# Without a display, a private X server of its own.
if [[ -z "${DISPLAY:-}" ]]; then
  xvfb_start "$work" || fail "Xvfb did not start"
fi

BRISKO_PORTS_DIR="$work/ports" sim_start "$work/sim.log" "$sim" --port 3 --serial W-3141 --pilot "Anna Rossi" ||
  fail "brisko-sim did not start"
ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com3"
rm -f "$WINEPREFIX/dosdevices/com4"  # a number without a link: must not be listed
printf '3' >"$work/run/BRISKO.INI"

peek() { "$wine" "$peek" 2>/dev/null | tr -d '\r' >"$work/peek.txt"; }

started=$(date +%s.%N)
(cd "$work/run" && exec "$wine" "$exe") >"$work/brisko.log" 2>&1 &
brisko_pid=$!
window=""
wait_until 300 find_brisko_window || fail "no window titled \"Brisko 1.8\""
shows_all() {
  peek || return 1
  local line
  for line in "$@"; do grep -qxF "$line" "$work/peek.txt" || return 1; done
}
# The replies arrive in one burst, and window_peek.exe reads one control at
# a time while the window goes on handling them: it looks until everything
# shows at once.
expected=("1000 text W-3141" "1011 text Anna Rossi" "1009 text COM3 Open Ok" "1029 text SEALED"
  "1020 checked" "1038 checked" "1033 entry 3" "focus 2")
wait_until 300 shows_all "${expected[@]}" || fail "the logger's data is not shown: $(cat "$work/peek.txt")"
shown=$(date +%s.%N)
awk -v from="$started" -v to="$shown" \
  'BEGIN { printf "brisko.exe showed the simulated logger %.2f s after start\n", to - from }'

# The port list's entry "3" is the one selected.
selected=$(sed -n 's/^1033 selected //p' "$work/peek.txt")
[[ $(grep '^1033 entry ' "$work/peek.txt" | sed -n "$((selected + 1))p") == "1033 entry 3" ]] ||
  fail "entry 3 of the port list is not selected: $(grep '^1033' "$work/peek.txt")"
! grep -qxF "1033 entry 4" "$work/peek.txt" || fail "COM4 has no link but is listed"
! grep -qxF "1018 disabled" "$work/peek.txt" || fail "\"&Set\" is disabled with the port open"

# From "&Exit", Tab goes to the pilot name and selects its text; typing
# replaces it. The comma is refused by the field rule, the rest goes in.
xdotool windowfocus --sync "$window"
xdotool key --delay 50 Tab
xdotool type --delay 60 "Carla, Verdi"
wait_until 50 shows_all "1011 text Carla Verdi" || fail "the typed pilot name is not shown: $(grep '^1011' "$work/peek.txt")"
from=$(wc -l <"$work/sim.log")
xdotool key alt+s
sent() { tail -n +"$from" "$work/sim.log" | grep -qF 'end of Set, settings stored'; }
wait_until 100 sent || fail "no Set sequence reached the simulator"
tail -n +"$from" "$work/sim.log" | grep -qF "rx \"\$NT805,1,Carla Verdi\" checksum ok" ||
  fail "the pilot name did not arrive byte for byte"

# Escape ends the program.
press_key "$window" Escape
ended "$brisko_pid" 10 || fail "Escape did not end brisko.exe"
wait "$brisko_pid" || true
brisko_pid=""
[[ "$(cat "$work/run/BRISKO.INI")" == "3" ]] || fail "BRISKO.INI holds \"$(cat "$work/run/BRISKO.INI")\", not \"3\""
echo "window test passed"
