# shellcheck shell=bash
# Sourced by the scripts that drive brisko.exe's window under Wine on an X
# server (scripts/run-windows.sh, tests/window/*.sh), after scripts/xvfb.sh: finding the
# window, and leaving it with Escape.

# find_brisko_window: sets $window to the mapped main window, titled with the
# name and version ("Brisko 1.8")
# (one not yet mapped cannot take the keyboard).
find_brisko_window() {
  window=$(xdotool search --onlyvisible --name '^Brisko [0-9.]+$' 2>/dev/null | head -n 1) && [[ -n "$window" ]]
}

# press_escape WINDOW: Escape into the window. The key's release fails once
# the window has closed, and a key left pressed would repeat into every
# window that opens next on the display, so it is released on its own.
press_escape() {
  xdotool windowfocus --sync "$1" key Escape
  xdotool keyup Escape
}
