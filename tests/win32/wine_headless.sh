#!/bin/sh
# Runs a Windows program under Wine without any display: in a Wine prefix of
# its own whose graphics driver is Wine's null driver, so windows are created,
# laid out and measured but drawn nowhere, and no X server is needed.
# Usage: wine_headless.sh WINE PROGRAM [ARGUMENTS...]
set -eu
wine=$1
shift

scratch=$(mktemp -d)
# A Western locale: the ANSI code page is 1252, whatever the machine's locale.
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all LC_ALL=en_US.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# shellcheck disable=SC2317 # run by the trap
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
# A test run stopped from outside (CTest's time-out) still cleans up.
trap 'exit 143' TERM INT

# Making the prefix starts Wine's desktop process with the default (X11)
# driver; the driver is chosen once per desktop, so the server is stopped
# after the change and the program's run starts a new desktop on the null one.
if ! "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f > "$scratch/setup.log" 2>&1; then
  cat "$scratch/setup.log" >&2
  exit 1
fi
wineserver -k 2>/dev/null || true

status=0
"$wine" "$@" || status=$?
exit $status
