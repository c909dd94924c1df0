#!/usr/bin/env bash
# brisko.exe's window under Wine on a private X server, against brisko-sim on
# a pseudo-terminal linked into the Wine prefix as COM3, started in a working
# directory whose BRISKO.INI holds "3". Checks: the window "Brisko 1.8"
# appears; the simulator's identity and pilot texts show in its controls
# (read by window_peek.exe, no pixels); the port list holds 3 and no number
# without a link; a pilot name typed with the keyboard, with a comma the field
# rule refuses, and sent with Alt+S reaches the simulator byte for byte; a
# second simulator linked as COM34 while the window runs, announced by a
# WM_DEVICECHANGE from another process, joins the list, opens and
# identifies, is reported lost when unlinked and leaves the list; Escape ends
# the program; BRISKO.INI then holds "3". Prints how long the
# window took to show the logger's data.
# Usage: wine_window_test.sh BRISKO_EXE WINDOW_PEEK_EXE BRISKO_SIM
# Environment: WINEPREFIX (a prefix made with wineboot), BRISKO_WINE (wine64),
# DISPLAY (an X server without a window manager; without it, one of its own).
set -euo pipefail
here=$(dirname "$0")
# shellcheck source=scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"
# shellcheck source=scripts/wine-window.sh
source "$here/../../scripts/wine-window.sh"
exe=$(realpath "$1") peek=$(realpath "$2") sim=$(realpath "$3")
wine=${BRISKO_WINE:-wine64}
: "${WINEPREFIX:?a Wine prefix is needed}"
export WINEDEBUG=-all

work=$(mktemp -d "${TMPDIR:-/tmp}/brisko-window.XXXXXX")
mkdir -m 700 "$work/ports" "$work/run"
sim_pid="" sim34_pid="" XVFB_PID="" brisko_pid=""
cleanup() {
  # The Wine server may hold the pseudo-terminal: it goes before the simulator.
  wineserver -k 2>/dev/null || true
  local pid
  for pid in "$brisko_pid" "$sim_pid" "$sim34_pid" "$XVFB_PID"; do
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -f "$WINEPREFIX/dosdevices/com3" "$WINEPREFIX/dosdevices/com34"
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

BRISKO_PORTS_DIR="$work/ports" "$sim" --port 3 --serial W-3141 --pilot "Anna Rossi" >"$work/sim.log" 2>&1 &
sim_pid=$!
wait_until 100 grep -q '^brisko-sim: COM3 -> ' "$work/sim.log" || fail "brisko-sim did not start"
device=$(sed -n 's/^brisko-sim: COM3 -> //p' "$work/sim.log")
ln -sfn "$device" "$WINEPREFIX/dosdevices/com3"
rm -f "$WINEPREFIX/dosdevices/com4"  # a number without a link: must not be listed
printf '3' >"$work/run/BRISKO.INI"

peek() { "$wine" "$peek" 2>/dev/null | tr -d '\r' >"$work/peek.txt"; }

started=$(date +%s.%N)
(cd "$work/run" && exec "$wine" "$exe") >"$work/brisko.log" 2>&1 &
brisko_pid=$!
window=""
wait_until 300 find_brisko_window || fail "no main window"
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
tail -n +"$from" "$work/sim.log" | grep -qF 'rx "$NT805,1,Carla Verdi" checksum ok' ||
  fail "the pilot name did not arrive byte for byte"

# A second logger's adapter, numbered past 29, is plugged in while brisko.exe
# runs: a dosdevices link (which Wine announces nowhere) and the
# WM_DEVICECHANGE that Windows sends for a driver that announces its ports,
# sent from another process. It joins the list, opens and identifies.
BRISKO_PORTS_DIR="$work/ports" "$sim" --port 34 --serial W-3434 >"$work/sim34.log" 2>&1 &
sim34_pid=$!
wait_until 100 grep -q '^brisko-sim: COM34 -> ' "$work/sim34.log" || fail "brisko-sim on COM34 did not start"
ln -sfn "$(sed -n 's/^brisko-sim: COM34 -> //p' "$work/sim34.log")" "$WINEPREFIX/dosdevices/com34"
"$wine" "$peek" arrival COM34 2>/dev/null
wait_until 100 shows_all "1033 entry 34" || fail "COM34 did not join the port list: $(grep '^1033' "$work/peek.txt")"
"$wine" "$peek" choose 34 2>/dev/null || fail "no entry 34 to choose"
wait_until 300 shows_all "1000 text W-3434" "1009 text COM34 Open Ok" ||
  fail "COM34's logger is not shown: $(cat "$work/peek.txt")"
# Pulled out while open: reported lost at once. Once another port is open,
# its entry leaves when the system names it gone.
rm -f "$WINEPREFIX/dosdevices/com34"
"$wine" "$peek" removal COM34 2>/dev/null
wait_until 100 shows_all "1009 text COM34 lost" "1018 disabled" || fail "COM34 not reported lost: $(cat "$work/peek.txt")"
"$wine" "$peek" choose 3 2>/dev/null || fail "no entry 3 to choose"
wait_until 300 shows_all "1000 text W-3141" "1009 text COM3 Open Ok" || fail "COM3 did not open again"
"$wine" "$peek" removal COM34 2>/dev/null
leaves_34() { peek && ! grep -qxF "1033 entry 34" "$work/peek.txt"; }
wait_until 100 leaves_34 || fail "COM34 stayed in the list after its removal"
kill "$sim34_pid" 2>/dev/null && wait "$sim34_pid" 2>/dev/null
sim34_pid=""

# Escape ends the program.
press_escape "$window"
ended "$brisko_pid" 10 || fail "Escape did not end brisko.exe"
wait "$brisko_pid" || true
brisko_pid=""
[[ "$(cat "$work/run/BRISKO.INI")" == "3" ]] || fail "BRISKO.INI holds \"$(cat "$work/run/BRISKO.INI")\", not \"3\""
echo "window test passed"
