# shellcheck shell=bash
# shellcheck disable=SC2154,SC2034 # $build comes from the caller, which reads what is set here
# Sourced by scripts/bench.sh and scripts/soak.sh: a private X server (Xvfb),
# ports directory and working directory, brisko-sim publishing its port there,
# and the desktop tool started on that port. Everything started here is
# stopped by session_stop, by the process ids it recorded.
#
# Needs: $build (the build directory). Sets: SESSION, DISPLAY, SIM_PID,
# SIM_PORT, TOOL_PID, TOOL_WID.

# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

session_start() {
  SESSION=$(mktemp -d /tmp/brisko-session-XXXXXX)
  mkdir -p "$SESSION/ports" "$SESSION/run" "$SESSION/xdg"
  chmod 700 "$SESSION/xdg"
  export XDG_RUNTIME_DIR="$SESSION/xdg" BRISKO_PORTS_DIR="$SESSION/ports"
  xvfb_start "$SESSION"
}

# session_sim_start ARGS...: brisko-sim in the background, its log in
# $SESSION/sim.log.
# shellcheck disable=SC2120 # the callers pass the simulator's options or none
session_sim_start() {
  sim_start "$SESSION/sim.log" "$build/sim/brisko-sim" "$@"
}

# tool_start: brisko in $SESSION/run, whose settings file names the
# simulator's port; waits for its window.
tool_start() {
  printf '%d' "$SIM_PORT" >"$SESSION/run/BRISKO.INI"
  (cd "$SESSION/run" && exec "$build/app/brisko") >"$SESSION/brisko.log" 2>&1 &
  TOOL_PID=$!
  TOOL_WID=$(timeout 20 xdotool search --sync --onlyvisible --pid "$TOOL_PID" | head -1)
  [[ -n "$TOOL_WID" ]] || { echo "the brisko window did not show" >&2; return 1; }
}

# The window's pixels, hashed: changes whenever the tool repaints new data.
window_hash() {
  import -window "$TOOL_WID" rgba:- 2>/dev/null | md5sum | cut -d' ' -f1
}

# tool_close: Escape ends the dialog. Sets TOOL_EXIT_SECONDS to the time the
# tool took to exit and returns its exit status.
tool_close() {
  local start status=0
  start=$(date +%s.%N)
  press_key "$TOOL_WID" Escape
  ended "$TOOL_PID" 30 || { echo "brisko did not end after Escape" >&2; return 1; }
  wait "$TOOL_PID" || status=$?
  TOOL_PID=
  TOOL_EXIT_SECONDS=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }')
  return $status
}

session_stop() {
  stop_processes "${TOOL_PID:-}" "${SIM_PID:-}" "${XVFB_PID:-}"
  TOOL_PID='' SIM_PID='' XVFB_PID=
  [[ -n "${SESSION:-}" ]] && rm -rf "$SESSION"
  SESSION=
}
