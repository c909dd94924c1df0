#!/usr/bin/env bash
# The shipped Windows files checked without running them: brisko.exe, the
# installer and the brisko.exe inside the ZIP are each a 32-bit Windows
# program (PE32 for i386) of the GUI subsystem that imports only DLLs every
# Windows has, so that neither needs anything beside it nor opens a console.
# Usage: shipped_windows_check.sh BRISKO_EXE INSTALLER_EXE PORTABLE_ZIP
set -euo pipefail
exe=$1 installer=$2 zip=$3

# The DLLs of Windows itself that a program of ours may import; anything else
# (a compiler runtime such as libstdc++-6.dll or libwinpthread-1.dll, a
# toolkit) would have to travel beside it.
system_dll() {
  case "${1,,}" in
    advapi32.dll | cfgmgr32.dll | comctl32.dll | comdlg32.dll | gdi32.dll | kernel32.dll | msvcrt.dll | \
      ole32.dll | oleaut32.dll | setupapi.dll | shell32.dll | shlwapi.dll | user32.dll | uxtheme.dll | \
      version.dll | winmm.dll | api-ms-win-*) return 0 ;;
    *) return 1 ;;
  esac
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# check_pe NAME FILE: a PE32 i386 GUI program with system imports only.
check_pe() {
  local name=$1 file=$2 headers dll
  headers=$(i686-w64-mingw32-objdump -p "$file") || fail "$name is no 32-bit Windows program"
  grep -q 'file format pei-i386' <<<"$headers" || fail "$name is not a 32-bit (i386) program: $(grep -m1 'file format' <<<"$headers")"
  grep -qP '^Magic\t+010b\t\(PE32\)' <<<"$headers" || fail "$name is not PE32: $(grep -m1 '^Magic' <<<"$headers")"
  grep -qP '^Subsystem\t+00000002\t\(Windows GUI\)' <<<"$headers" ||
    fail "$name is not a GUI program: $(grep -m1 '^Subsystem' <<<"$headers")"
  while read -r dll; do
    system_dll "$dll" || fail "$name imports $dll, which Windows does not bring"
  done < <(sed -n 's/^\tDLL Name: //p' <<<"$headers")
  echo "$name: PE32 i386, GUI, imports $(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr '\n' ' ')"
}

check_pe brisko.exe "$exe"
check_pe "$(basename "$installer")" "$installer"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
zipped_exe=$(find "$unpacked" -name brisko.exe | head -n 1)
[[ -n "$zipped_exe" ]] || fail "$(basename "$zip") holds no brisko.exe"
[[ -n "$(find "$unpacked" -name README.md)" ]] || fail "$(basename "$zip") holds no README.md"
check_pe "brisko.exe in $(basename "$zip")" "$zipped_exe"
