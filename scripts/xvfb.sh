# shellcheck shell=bash
# Sourced by the scripts that run a window headless (scripts/run.sh,
# scripts/run-windows.sh, tests/window/*.sh, bench/desktop_session.sh): a
# private X server (Xvfb) that chooses a free display number itself and
# reports it through -displayfd, so that sessions started at the same time
# never race for one number, a wait for a condition, and a wait for a child
# process to end.

# xvfb_start DIR: Xvfb in the background, its log in DIR/xvfb.log and its
# display number in DIR/display. Sets XVFB_PID and exports DISPLAY; returns 1
# when the server did not come up.
xvfb_start() {
  local dir=$1
  # -noreset: the server must not reset when its last client goes.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  # shellcheck disable=SC2034 # read by the scripts that source this one
  XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s "$dir/display" ]] && break
    sleep 0.1
  done
  if [[ ! -s "$dir/display" ]]; then
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
  local state
  for _ in $(seq $(($2 * 10))); do
    state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null || echo gone)
    [[ "$state" == Z || "$state" == gone ]] && return 0
    sleep 0.1
  done
  return 1
}
