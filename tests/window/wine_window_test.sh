#!/usr/bin/env bash
# brisko.exe's window under Wine on a private X server, against brisko-sim on
# a pseudo-terminal linked into the Wine prefix as COM3. Each row of the
# table below starts both afresh and plays what a user does; what the window
# shows is read by window_peek.exe (no pixels), where windows stand by
# xdotool. Rows:
#   type        BRISKO.INI holds "3": the simulator's identity and pilot text
#               show, the port list holds 3 (selected) and no number without a
#               link; a pilot name typed with a refused comma and sent with
#               Alt+S reaches the simulator byte for byte; the window is
#               centred on the screen; Escape ends the program, "3" is kept.
#   codepage    typed letters reach the logger as bytes of the ANSI code page
#               of the locale (1252 Western, 1250 Central European); Alt+F4
#               ends the program with "3" kept.
#   delete      "Delete flight" (a first-family logger with firmware 2.8)
#               opens centred over the main window and closes on the first
#               Escape or Return, which does not reach the main window; the
#               close box then ends the program with "3" kept.
#   firstrun    no BRISKO.INI: the port list selects nothing; the About box
#               opens centred over the main window from the system menu; the
#               close box ends the program and BRISKO.INI is written.
#   hotplug     a second simulator linked as COM34 while the window runs and
#               announced by a WM_DEVICECHANGE from another process joins the
#               list, opens and identifies; unlinked and announced gone while
#               open it is reported lost; once COM3 is open again, the next
#               announcement takes its entry out; Escape keeps "3".
#   comesback   COM34 open, unlinked and announced gone: "COM34 lost"; linked
#               and announced again, it opens by itself and identifies.
#   burst       with COM3 open, 20 rounds of linking and unlinking COM6, each
#               announced; COM7 linked and announced after them joins the list
#               within 2 s, and Down in the port list reaches it and opens it;
#               Escape keeps "7".
# Prints how long the window took to show the logger's data.
# Usage: wine_window_test.sh BRISKO_EXE WINDOW_PEEK_EXE BRISKO_SIM
# Environment: WINEPREFIX (a prefix made with wineboot), BRISKO_WINE (the Wine
# loader that runs the build),
# DISPLAY (an X server without a window manager; without it, one of its own).
set -euo pipefail
here=$(dirname "$0")
# shellcheck source=scripts/lib.sh
source "$here/../../scripts/lib.sh"
exe=$(realpath "$1") peek=$(realpath "$2") sim=$(realpath "$3")
wine=${BRISKO_WINE:-wine}
: "${WINEPREFIX:?a Wine prefix is needed}"
export WINEDEBUG=-all

work=$(mktemp -d "${TMPDIR:-/tmp}/brisko-window.XXXXXX")
mkdir -m 700 "$work/ports" "$work/run"
SIM_PID="" sim34_pid="" XVFB_PID="" brisko_pid=""
# Ends one row's programs. The Wine server may hold the pseudo-terminal: it
# goes before the simulator.
stop_row() {
  wineserver -k 2>/dev/null || true
  stop_processes "$brisko_pid" "$SIM_PID" "$sim34_pid"
  brisko_pid="" SIM_PID="" sim34_pid=""
  rm -f "$WINEPREFIX/dosdevices/com3" "$WINEPREFIX/dosdevices/com34" "$WINEPREFIX/dosdevices/com6" \
    "$WINEPREFIX/dosdevices/com7"
  return 0
}
cleanup() {
  stop_row
  stop_processes "$XVFB_PID"
  rm -rf "$work"
  return 0
}
trap cleanup EXIT

row=""
fail() {
  echo "FAIL ($row): $*" >&2
  for log in sim.log brisko.log xvfb.log; do
    [[ -s "$work/$log" ]] && { echo "--- $log" >&2; tail -n 40 "$work/$log" >&2; }
  done
  exit 1
}

# Without a display, a private X server of its own.
if [[ -z "${DISPLAY:-}" ]]; then
  xvfb_start "$work" || fail "Xvfb did not start"
fi
# No window manager runs on this display: Wine places, decorates and focuses
# its windows itself, as a desktop's manager would. Left to a manager that is
# not there, Wine would wait two seconds for it each time a window hides, and
# a key pressed meanwhile would land on the window below.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >"$work/reg.log" 2>&1 ||
  fail "the prefix's X11 driver settings: $(cat "$work/reg.log")"

peek() { "$wine" "$peek" 2>/dev/null | tr -d '\r' >"$work/peek.txt"; }
shows_all() {
  peek || return 1
  local line
  for line in "$@"; do grep -qxF "$line" "$work/peek.txt" || return 1; done
}
shows_none() {
  peek || return 1
  local line
  for line in "$@"; do ! grep -qxF "$line" "$work/peek.txt" || return 1; done
}

# start_row INI [SIM_OPTIONS...]: the simulator on COM3 and brisko.exe in a
# working directory whose BRISKO.INI holds INI ("-": no file), in the locale
# $row_locale when it is set; sets $window.
row_locale=""
start_row() {
  local ini=$1
  shift
  rm -f "$work/run/BRISKO.INI"
  [[ "$ini" == - ]] || printf '%s' "$ini" >"$work/run/BRISKO.INI"
  BRISKO_PORTS_DIR="$work/ports" sim_start "$work/sim.log" "$sim" --port 3 --serial W-3141 --pilot "Anna Rossi" "$@" ||
    fail "brisko-sim did not start"
  ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com3"
  rm -f "$WINEPREFIX/dosdevices/com4"  # a number without a link: must not be listed
  started=$(date +%s.%N)
  (cd "$work/run" && exec env ${row_locale:+LC_ALL=$row_locale} "$wine" "$exe") >"$work/brisko.log" 2>&1 &
  brisko_pid=$!
  window=""
  wait_until 300 find_brisko_window || fail "no main window"
}

# The window with this title, shown ("" when there is none).
shown_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
# The About box: shown, titled "Informazioni su brisko" or, like the main
# window, with the name and version, and not the main window.
about_window() {
  xdotool search --onlyvisible --name '^(Informazioni su brisko|Brisko [0-9.]+)$' 2>/dev/null | grep -vx "$window" | head -n 1
}
main_shown() { xdotool search --onlyvisible --name '^Brisko [0-9.]+$' 2>/dev/null | grep -qx "$window"; }

# centred WINDOW X Y: the window's middle is at X,Y (a pixel's rounding).
centred() {
  local WIDTH HEIGHT X Y
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  local dx=$((2 * X + WIDTH - 2 * $2)) dy=$((2 * Y + HEIGHT - 2 * $3))
  ((dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2)) ||
    { echo "middle at $((X + WIDTH / 2)),$((Y + HEIGHT / 2)), not $2,$3"; return 1; }
}
middle_of() {
  local WIDTH HEIGHT X Y
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  echo "$(((2 * X + WIDTH) / 2)) $(((2 * Y + HEIGHT) / 2))"
}
screen_middle() { xdotool getdisplaygeometry | awk '{ print int($1 / 2), int($2 / 2) }'; }

# The close box: the top right corner of the caption Wine draws.
click_close_box() {
  local WIDTH HEIGHT X Y
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  xdotool mousemove --sync $((X + WIDTH - 12)) $((Y + 12)) click 1
}

# ends_with_ini TEXT: brisko.exe has ended and BRISKO.INI holds TEXT.
ends_with_ini() {
  ended "$brisko_pid" 10 || fail "brisko.exe did not end"
  wait "$brisko_pid" || true
  brisko_pid=""
  [[ -f "$work/run/BRISKO.INI" ]] || fail "BRISKO.INI was not written"
  [[ "$(cat "$work/run/BRISKO.INI")" == "$1" ]] || fail "BRISKO.INI holds \"$(cat "$work/run/BRISKO.INI")\", not \"$1\""
}

# The logger's data, all shown at once: the replies arrive in one burst and
# window_peek.exe reads one control at a time while the window goes on
# handling them.
wait_for_logger() {
  wait_until 300 shows_all "1000 text W-3141" "1011 text Anna Rossi" "1009 text COM3 Open Ok" "$@" ||
    fail "the logger's data is not shown: $(cat "$work/peek.txt")"
}

# type_pilot TEXT: from "&Exit", Tab goes to the pilot name and selects its
# text; typing replaces it.
type_pilot() {
  xdotool windowfocus --sync "$window"
  xdotool key --delay 50 Tab
  LC_ALL=C.UTF-8 xdotool type --delay 60 "$1"
}

# send_set ESCAPED: Alt+S, and the simulator receives the pilot name as the
# log shows it (bytes above 0x7E as \xNN).
send_set() {
  local from
  from=$(wc -l <"$work/sim.log")
  xdotool key alt+s
  wait_until 100 eval "tail -n +$from \"\$work/sim.log\" | grep -qF 'end of Set, settings stored'" ||
    fail "no Set sequence reached the simulator"
  tail -n +"$from" "$work/sim.log" | grep -qF "rx \"\$NT805,1,$1\" checksum ok" ||
    fail "the pilot name did not arrive as \"$1\": $(grep -F 'NT805,1,' "$work/sim.log" | tail -n 1)"
}

# --- type
row="type"
start_row 3
wait_for_logger "1029 text SEALED" "1020 checked" "1038 checked" "1033 entry 3" "focus 2"
shown=$(date +%s.%N)
awk -v from="$started" -v to="$shown" \
  'BEGIN { printf "brisko.exe showed the simulated logger %.2f s after start\n", to - from }'
# shellcheck disable=SC2046 # two numbers
centred "$window" $(screen_middle) || fail "the main window is not centred on the screen"
selected=$(sed -n 's/^1033 selected //p' "$work/peek.txt")
[[ $(grep '^1033 entry ' "$work/peek.txt" | sed -n "$((selected + 1))p") == "1033 entry 3" ]] ||
  fail "entry 3 of the port list is not selected: $(grep '^1033' "$work/peek.txt")"
! grep -qxF "1033 entry 4" "$work/peek.txt" || fail "COM4 has no link but is listed"
! grep -qxF "1018 disabled" "$work/peek.txt" || fail "\"&Set\" is disabled with the port open"
type_pilot "Carla, Verdi"
wait_until 150 shows_all "1011 text Carla Verdi" || fail "the typed pilot name is not shown: $(grep '^1011' "$work/peek.txt")"
send_set "Carla Verdi"
press_key "$window" Escape
ends_with_ini 3
stop_row

# --- codepage: locale, typed text, what window_peek.exe reads, the bytes sent
codepage_rows=(
  "en_US.UTF-8|Jos\u00e9 5\u20ac|Jos\\xE9 5\\x20AC|Jos\\xE9 5\\x80"
  "pl_PL.UTF-8|\u0141ukasz|\\x141ukasz|\\xA3ukasz"
)
for entry in "${codepage_rows[@]}"; do
  IFS='|' read -r locale typed peeked bytes <<<"$entry"
  typed=$(printf "%b" "$typed")
  row="codepage $locale"
  row_locale=$locale start_row 3
  wait_for_logger
  type_pilot "$typed"
  wait_until 150 shows_all "1011 text $peeked" || fail "\"$peeked\" is not shown: $(grep '^1011' "$work/peek.txt")"
  send_set "$bytes"
  xdotool key alt+F4
  ends_with_ini 3
  stop_row
done
row_locale=""

# --- delete: the key that closes "Delete flight"
for key in Escape Return; do
  row="delete $key"
  start_row 3 --family 0 --firmware 28
  wait_for_logger
  wait_until 150 shows_none "1032 disabled" || fail "\"&Delete all flights\" stays disabled"
  xdotool windowfocus --sync "$window" key alt+d
  wait_until 150 test -n "$(shown_window 'Delete flight')" || fail "\"Delete flight\" did not open"
  dialog=$(shown_window 'Delete flight')
  # shellcheck disable=SC2046 # two numbers
  centred "$dialog" $(middle_of "$window") || fail "\"Delete flight\" is not centred over the main window"
  press_key "" "$key"
  wait_until 100 test -z "$(shown_window 'Delete flight')" || fail "the first $key did not close \"Delete flight\""
  sleep 0.5
  main_shown || fail "the $key that closed \"Delete flight\" reached the main window too"
  click_close_box "$window"
  ends_with_ini 3
  stop_row
done

# --- firstrun
row=firstrun
start_row -
wait_until 300 shows_all "1009 text COM0 not found" "1033 entry 3" || fail "the first run's window: $(cat "$work/peek.txt")"
grep -qxF "1033 selected -1" "$work/peek.txt" || fail "a first run selects an entry: $(grep '^1033' "$work/peek.txt")"
# The About entry is the system menu's last.
xdotool windowfocus --sync "$window" key alt+space
sleep 0.5
xdotool key Up Return
wait_until 150 test -n "$(about_window)" || fail "the About box did not open"
# shellcheck disable=SC2046 # two numbers
centred "$(about_window)" $(middle_of "$window") || fail "the About box is not centred over the main window"
press_key "" Escape
wait_until 100 test -z "$(about_window)" || fail "Escape did not close the About box"
click_close_box "$window"
ends_with_ini ""
stop_row
# --- hotplug: Wine announces no dosdevices link; Windows sends WM_DEVICECHANGE
# for a driver that announces its ports, here from another process.
row=hotplug
start_row 3
wait_for_logger
first_sim=$SIM_PID
BRISKO_PORTS_DIR="$work/ports" sim_start "$work/sim34.log" "$sim" --port 34 --serial W-3434 ||
  fail "brisko-sim on COM34 did not start"
sim34_pid=$SIM_PID SIM_PID=$first_sim
ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com34"
"$wine" "$peek" arrival COM34 2>/dev/null
wait_until 100 shows_all "1033 entry 34" || fail "COM34 did not join the port list: $(grep '^1033' "$work/peek.txt")"
"$wine" "$peek" choose 34 2>/dev/null || fail "no entry 34 to choose"
wait_until 300 shows_all "1000 text W-3434" "1009 text COM34 Open Ok" ||
  fail "COM34's logger is not shown: $(cat "$work/peek.txt")"
rm -f "$WINEPREFIX/dosdevices/com34"
"$wine" "$peek" removal COM34 2>/dev/null
wait_until 100 shows_all "1009 text COM34 lost" "1018 disabled" || fail "COM34 not reported lost: $(cat "$work/peek.txt")"
"$wine" "$peek" choose 3 2>/dev/null || fail "no entry 3 to choose"
wait_for_logger
"$wine" "$peek" removal COM34 2>/dev/null
wait_until 100 shows_none "1033 entry 34" || fail "COM34 stayed in the list after its removal"
press_key "$window" Escape
ends_with_ini 3
stop_row
# --- comesback: the open port's adapter pulled out and plugged in again.
row=comesback
start_row 3
wait_for_logger
first_sim=$SIM_PID
BRISKO_PORTS_DIR="$work/ports" sim_start "$work/sim34.log" "$sim" --port 34 --serial W-3434 ||
  fail "brisko-sim on COM34 did not start"
sim34_pid=$SIM_PID SIM_PID=$first_sim
ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com34"
"$wine" "$peek" arrival COM34 2>/dev/null
wait_until 100 shows_all "1033 entry 34" || fail "COM34 did not join the port list: $(grep '^1033' "$work/peek.txt")"
"$wine" "$peek" choose 34 2>/dev/null || fail "no entry 34 to choose"
wait_until 300 shows_all "1000 text W-3434" "1009 text COM34 Open Ok" || fail "COM34 is not open: $(cat "$work/peek.txt")"
sim34_device=$(readlink "$WINEPREFIX/dosdevices/com34")
rm -f "$WINEPREFIX/dosdevices/com34"
"$wine" "$peek" removal COM34 2>/dev/null
wait_until 100 shows_all "1009 text COM34 lost" || fail "COM34 not reported lost: $(cat "$work/peek.txt")"
ln -sfn "$sim34_device" "$WINEPREFIX/dosdevices/com34"
"$wine" "$peek" arrival COM34 2>/dev/null
# Back and open, with "&Set" enabled again (the peek names disabled controls).
back_and_open() { shows_all "1000 text W-3434" "1009 text COM34 Open Ok" && ! grep -qxF "1018 disabled" "$work/peek.txt"; }
wait_until 300 back_and_open || fail "COM34 did not come back by itself: $(cat "$work/peek.txt")"
press_key "$window" Escape
ends_with_ini 34
stop_row
# --- burst: quick plugging of another adapter while COM3 is open.
row=burst
start_row 3
wait_for_logger
for _ in $(seq 20); do
  ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com6"
  "$wine" "$peek" arrival COM6 2>/dev/null
  rm -f "$WINEPREFIX/dosdevices/com6"
  "$wine" "$peek" removal COM6 2>/dev/null
done
ln -sfn "$SIM_DEVICE" "$WINEPREFIX/dosdevices/com7"
"$wine" "$peek" arrival COM7 2>/dev/null
arrived=$(date +%s.%N)
wait_until 100 shows_all "1033 entry 7" || fail "COM7 did not join the list after the burst: $(grep '^1033' "$work/peek.txt")"
awk -v a="$arrived" -v b="$(date +%s.%N)" 'BEGIN { printf "COM7 listed %.2f s after its arrival\n", b - a; exit !(b - a <= 2) }' ||
  fail "COM7 joined the list later than 2 s after its arrival"
shows_none "1033 entry 6" || fail "COM6 stayed in the list"
# Shift+Tab, stop by stop, to the port list (the last tab stop; a radio
# group takes one stop and keeps its choice), then Down to the next entry.
on_port_list() { xdotool key shift+Tab && peek && grep -qxF "focus 1033" "$work/peek.txt"; }
xdotool windowfocus --sync "$window"
wait_until 12 on_port_list || fail "Shift+Tab did not reach the port list: $(grep '^focus' "$work/peek.txt")"
xdotool key Down
wait_until 300 shows_all "1009 text COM7 Open Ok" || fail "Down did not reach COM7: $(cat "$work/peek.txt")"
press_key "$window" Escape
ends_with_ini 7
stop_row
echo "window test passed"
