#!/usr/bin/env bash
# The Windows installer under Wine, silent: installed with /S into the prefix,
# it leaves brisko.exe, README.md and the uninstaller in Program Files\Brisko,
# the settings folder %APPDATA%\Brisko and a Start-menu entry that starts in
# it; the installed brisko.exe starts and shows its window (no port in its
# settings, so it opens none) and ends with Escape; the uninstaller, silent
# too, removes the program folder, the entry, the empty settings folder and
# its registration.
# Usage: wine_installer_test.sh INSTALLER_EXE
# Environment: WINEPREFIX, BRISKO_WINE (the Wine loader that runs the
# installer's build), DISPLAY (an X server).
set -euo pipefail
here=$(dirname "$0")
# shellcheck source=scripts/lib.sh
source "$here/../../scripts/lib.sh"
installer=$(realpath "$1")
wine=${BRISKO_WINE:-wine}
: "${WINEPREFIX:?a Wine prefix is needed}" "${DISPLAY:?an X server is needed}"
export WINEDEBUG=-all

work=$(mktemp -d "${TMPDIR:-/tmp}/brisko-installer.XXXXXX")
brisko_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_processes "$brisko_pid"
  rm -rf "$work"
  return 0
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

drive_c="$WINEPREFIX/drive_c"
# A 32-bit installer: a 64-bit prefix gives it the 32-bit programs' folder and
# registry view, a 32-bit prefix the only ones. A 64-bit installer (of the
# x86_64 build) uses the 64-bit ones.
if x86_64-w64-mingw32-objdump -f "$installer" | grep -q 'file format pei-x86-64'; then
  program="$drive_c/Program Files/Brisko" view=64
else
  program="$drive_c/Program Files (x86)/Brisko" view=32
  [[ -d "$drive_c/Program Files (x86)" ]] || program="$drive_c/Program Files/Brisko"
fi
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brisko'
registered() { "$wine" reg query "$uninstall_key" /reg:$view >/dev/null 2>&1; }
entries() { find "$drive_c" -iname 'Brisko.lnk' 2>/dev/null; }
settings_folders() { find "$drive_c/users" -maxdepth 4 -path '*/AppData/Roaming/Brisko' -type d 2>/dev/null; }

"$wine" "$installer" /S
wineserver -w
for file in brisko.exe README.md Uninstall.exe; do
  [[ -f "$program/$file" ]] || fail "the installer left no $file in $program"
done
[[ -n "$(entries)" ]] || fail "no Start-menu entry Brisko.lnk"
# The entry's working folder is the user's settings folder (a UTF-16 text in the link).
strings -el "$(entries | head -n 1)" | grep -qxF '%APPDATA%\Brisko' ||
  fail "the Start-menu entry does not start in %APPDATA%\\Brisko: $(strings -el "$(entries | head -n 1)")"
[[ -n "$(settings_folders)" ]] || fail "no settings folder %APPDATA%\\Brisko"
registered || fail "the uninstaller is not registered"

# The installed program shows its window and ends with Escape.
(cd "$work" && exec "$wine" "$program/brisko.exe") >"$work/brisko.log" 2>&1 &
brisko_pid=$!
window=""
wait_until 300 find_brisko_window || fail "the installed brisko.exe showed no window"
press_key "$window" Escape
ended "$brisko_pid" 10 || fail "Escape did not end the installed brisko.exe"
brisko_pid=""
[[ -f "$work/BRISKO.INI" ]] || fail "the installed brisko.exe wrote no BRISKO.INI in its working folder"

# The uninstaller copies itself away and runs from there; wineserver -w
# waits for it.
"$wine" "$program/Uninstall.exe" /S
wineserver -w
[[ ! -e "$program" ]] || fail "$program is still there: $(ls "$program")"
[[ -z "$(entries)" ]] || fail "the Start-menu entry is still there: $(entries)"
[[ -z "$(settings_folders)" ]] || fail "the empty settings folder is still there"
! registered || fail "the uninstaller is still registered"
echo "installer test passed: $(du -k "$installer" | cut -f1) KiB installer"
