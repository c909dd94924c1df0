# shellcheck shell=bash
# Sourced by every script that starts the simulator or drives a window
# (scripts/run.sh, scripts/run-windows.sh, scripts/test-windows.sh,
# tests/window/*.sh, bench/desktop_session.sh and through it scripts/bench.sh
# and scripts/soak.sh): a private X server, brisko-sim and its port, a wait for
# a condition with a bound, the tool's window, keys pressed and released,
# stopping the children a script started, the choice of the Windows build that
# runs under Wine on this machine, and the screenshot session of run.sh and
# run-windows.sh.

# xvfb_start DIR: Xvfb in the background, its log in DIR/xvfb.log and its
# display number in DIR/display. Xvfb chooses a free display number itself and
# reports it through -displayfd, so that sessions started at the same time
# never race for one number. Sets XVFB_PID and exports DISPLAY; returns 1 when
# the server did not come up.
xvfb_start() {
  local dir=$1
  # -noreset: the server must not reset when its last client goes.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  # shellcheck disable=SC2034 # read by the scripts that source this one
  XVFB_PID=$!
  if ! wait_until 100 test -s "$dir/display"; then
    echo "Xvfb did not start" >&2
    cat "$dir/xvfb.log" >&2
    return 1
  fi
  DISPLAY=":$(cat "$dir/display")"
  export DISPLAY
}

# wait_until TENTHS COMMAND...: true once COMMAND succeeds, false if it still
# fails after TENTHS tenths of a second.
wait_until() {
  local tenths=$1
  shift
  while ! "$@"; do
    ((tenths-- > 0)) || return 1
    sleep 0.1
  done
}

# ended PID SECONDS: true once the child PID has exited (a zombie not yet
# waited for counts), false if it still runs after SECONDS.
ended() {
  wait_until $(($2 * 10)) _exited "$1"
}
_exited() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null || echo gone)
  [[ "$state" == Z || "$state" == gone ]]
}

# sim_start LOG SIM [ARGUMENTS...]: brisko-sim (the program SIM) in the
# background, publishing its pseudo-terminal in $BRISKO_PORTS_DIR, its log in
# LOG. Waits up to 10 s for the port. Sets SIM_PID, SIM_PORT (the COM number)
# and SIM_DEVICE (the pseudo-terminal); returns 1, with the log, when the
# simulator published no port.
sim_start() {
  local log=$1 sim=$2
  shift 2
  # Emptied here: the simulator's own redirection may come after the first look.
  : >"$log"
  "$sim" "$@" >"$log" 2>&1 &
  # shellcheck disable=SC2034 # read by the scripts that source this one
  SIM_PID=$!
  SIM_PORT="" SIM_DEVICE=""
  if wait_until 100 grep -q '^brisko-sim: COM[0-9]* -> ' "$log"; then
    SIM_PORT=$(sed -n 's/^brisko-sim: COM\([0-9]*\) -> .*/\1/p' "$log" | head -n 1)
    # shellcheck disable=SC2034 # read by the scripts that source this one
    SIM_DEVICE=$(sed -n 's/^brisko-sim: COM[0-9]* -> //p' "$log" | head -n 1)
  fi
  if [[ -z "$SIM_PORT" ]]; then
    echo "brisko-sim did not publish a port" >&2
    cat "$log" >&2
    return 1
  fi
}

# find_brisko_window: sets $window to the mapped main window, titled with the
# name and version ("Brisko 1.8"; one not yet mapped cannot take the keyboard).
find_brisko_window() {
  window=$(xdotool search --onlyvisible --name '^Brisko [0-9.]+$' 2>/dev/null | head -n 1) && [[ -n "$window" ]]
}

# press_key WINDOW KEY: KEY into WINDOW (focused first; "" for the window that
# has the keyboard), then released on its own. When the key closes the window
# its release in "key" fails, and a key left pressed repeats into every window
# that opens next on the display.
press_key() {
  local status=0
  if [[ -n "$1" ]]; then
    xdotool windowfocus --sync "$1" key "$2" || status=$?
  else
    xdotool key "$2" || status=$?
  fi
  xdotool keyup "$2" || true
  return $status
}

# stop_processes PID...: ends each child still running and waits for it;
# empty arguments are skipped. Under Wine, stop the Wine server first
# (wineserver -k): it may hold the simulator's pseudo-terminal.
stop_processes() {
  local pid
  for pid in "$@"; do
    [[ -n "$pid" ]] || continue
    if kill "$pid" 2>/dev/null; then wait "$pid" 2>/dev/null || true; fi
  done
  return 0
}

# windows_build_choose: which Windows build runs under Wine on this machine, and
# through which loader; prints one line saying which and why. The shipped
# program is 32-bit and runs under Debian's `wine`, which starts Wine's 32-bit
# loader. A kernel without 32-bit support (some virtual machines and sandboxes)
# runs no 32-bit program at all, and there the same wrapper fails even for
# 64-bit programs; the tests then run an x86_64 build of the same sources under
# Wine's 64-bit loader, called directly. BRISKO_WINE64=1 forces that path.
# Sets and exports BRISKO_WINE (the loader), WINELOADER on the 64-bit path,
# and sets WINDOWS_ARCH (i686 or x86_64), WINDOWS_TOOLCHAIN (the CMake
# toolchain file) and WINDOWS_BUILD_SUFFIX (-mingw or -mingw64). Returns 1,
# saying what to install, when the chosen loader is missing.
windows_build_choose() {
  local why loader32_error
  if [[ -n "${BRISKO_WINE64:-}" && "${BRISKO_WINE64}" != 0 ]]; then
    WINDOWS_ARCH=x86_64 why="BRISKO_WINE64 is set"
  elif [[ ! -e /lib/ld-linux.so.2 ]]; then
    WINDOWS_ARCH=x86_64 why="no 32-bit loader is installed (/lib/ld-linux.so.2)"
  elif loader32_error=$(/lib/ld-linux.so.2 --version 2>&1 >/dev/null); then
    WINDOWS_ARCH=i686 why="this machine runs 32-bit x86 programs"
  else
    WINDOWS_ARCH=x86_64
    why="this machine runs no 32-bit x86 programs (/lib/ld-linux.so.2: ${loader32_error##*: })"
  fi
  if [[ $WINDOWS_ARCH == i686 ]]; then
    WINDOWS_TOOLCHAIN=cmake/mingw-w64.cmake WINDOWS_BUILD_SUFFIX=-mingw
    BRISKO_WINE=$(command -v wine || true)
    unset WINELOADER
    if [[ -z "$BRISKO_WINE" ]]; then
      echo "Windows build: cannot run it: wine is missing (apt-get install wine wine32:i386)" >&2
      return 1
    fi
    echo "Windows build: the shipped 32-bit (i686) program under Wine's 32-bit loader: $why"
  else
    # shellcheck disable=SC2034 # read by the scripts that source this one
    WINDOWS_TOOLCHAIN=cmake/mingw-w64-x86_64.cmake WINDOWS_BUILD_SUFFIX=-mingw64
    BRISKO_WINE=/usr/lib/wine/wine64
    if [[ ! -x "$BRISKO_WINE" ]]; then
      echo "Windows build: cannot run it: $why, and Wine's 64-bit loader is missing (apt-get install wine64)" >&2
      return 1
    fi
    # Programs that Wine starts from this one take the same loader.
    export WINELOADER=$BRISKO_WINE
    echo "Windows build: an x86_64 build of the same sources under Wine's 64-bit loader: $why"
  fi
  export BRISKO_WINE
}

# capture_session PID STARTED TOOL_LOG SIM_LOG SHOT AREA: the screenshot session
# of a tool (PID, started at STARTED, `date +%s.%N`) against brisko-sim: waits
# for its window and for the simulator's last answer to the identification
# ($NT805,5; the tool shows each reply as it arrives), lets the readings (every
# 3 s) arrive too, saves SHOT (AREA "window": the window alone; "screen": the
# whole screen, for Wine's undecorated window in its middle), then presses
# Escape, after which the tool must end by itself with status 0. Any step that
# fails ends the session with a one-line reason on stderr (and the logs where
# they tell why): returns 1. Sets window.
capture_session() {
  local pid=$1 started=$2 tool_log=$3 sim_log=$4 shot=$5 area=$6 shown status=0
  window=""
  if ! wait_until 300 find_brisko_window; then
    echo "capture: no brisko window within 30 s" >&2
    cat "$tool_log" >&2
    return 1
  fi
  if ! wait_until 300 grep -qF "tx \"\$NT805,5," "$sim_log"; then
    echo "capture: the simulator did not answer the identification within 30 s" >&2
    cat "$tool_log" "$sim_log" >&2
    return 1
  fi
  shown=$(date +%s.%N)
  awk -v from="$started" -v to="$shown" \
    'BEGIN { printf "window showing the simulated logger %.2f s after start\n", to - from }'
  echo "window title: \"$(xdotool getwindowname "$window")\""
  sleep 3.5
  local what=root
  [[ $area == window ]] && what=$window
  if ! import -window "$what" "$shot" 2>/dev/null; then
    echo "capture: import could not take the screenshot of $area $what" >&2
    return 1
  fi
  echo "screenshot: $shot"
  # Leave as a user would: the tool drains, closes and saves its port.
  if ! press_key "$window" Escape; then
    echo "capture: could not press Escape in the brisko window" >&2
    return 1
  fi
  if ! ended "$pid" 10; then
    echo "capture: brisko did not end within 10 s of Escape" >&2
    return 1
  fi
  wait "$pid" || status=$?
  if ((status != 0)); then
    echo "capture: brisko ended with status $status" >&2
    cat "$tool_log" >&2
    return 1
  fi
}
