#!/usr/bin/env bash
# The Windows side of the test command: the core and its tests cross-built
# with mingw-w64, the framing, protocol, link, session, neutral dialog and
# Win32 front-end suites run under Wine, then the Windows build of the tool
# and brisko-cli.exe's commands against brisko-sim under Wine
# (tests/e2e/wine_e2e_test.cpp), then
# brisko.exe's window on a private X server (tests/window/wine_window_test.sh)
# and the installer, silent (tests/window/wine_installer_test.sh). Called by
# scripts/test.sh; runs on its own too.
#
# Which Windows build runs is chosen once (windows_build_choose in
# scripts/lib.sh): where this machine runs 32-bit programs, the shipped 32-bit
# one under Wine's 32-bit loader; where it does not (or BRISKO_WINE64=1), an
# x86_64 build of the same sources under Wine's 64-bit loader. Either way the
# shipped 32-bit brisko.exe, its installer and its ZIP are built and checked
# without running them (tests/window/shipped_windows_check.sh).
# Build directories: $BRISKO_BUILD_DIR (default build/) for the simulator,
# the same name with -mingw for the 32-bit build and -mingw64 for the x86_64
# one.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/lib.sh
source scripts/lib.sh

scripts/install-deps.sh test
windows_build_choose

build=${BRISKO_BUILD_DIR:-build}
tested=$build$WINDOWS_BUILD_SUFFIX

# The Linux side: the simulator and the test that drives the run under Wine.
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON
fi
cmake --build "$build" --target brisko-sim brisko_wine_e2e_tests

# configure_windows DIR TOOLCHAIN [CMAKE_ARG...]: the Windows build without
# Qt. A build directory configured for another compiler starts afresh.
configure_windows() {
  local dir=$1 toolchain=$2
  shift 2
  if [[ -f "$dir/CMakeCache.txt" ]] && ! grep -qF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$(pwd)/$toolchain" "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(pwd)/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBRISKO_WERROR=ON -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_BENCH=OFF "$@"
}
# package_windows DIR: the installer and the ZIP (makensis); prints the
# installer's path.
package_windows() {
  (cd "$1" && cpack -G "NSIS;ZIP" -C Release >cpack.log 2>&1) || { cat "$1/cpack.log" >&2; return 1; }
  ls "$1"/brisko-*-win??.exe
}

# The shipped 32-bit program, its installer and its ZIP, checked as files.
configure_windows "$build-mingw" cmake/mingw-w64.cmake
cmake --build "$build-mingw" --target brisko brisko-cli
shipped_installer=$(package_windows "$build-mingw")
tests/window/shipped_windows_check.sh "$build-mingw/app/brisko.exe" "$shipped_installer" \
  "${shipped_installer%.exe}.zip"

# The build that runs here, with its tests (the 32-bit one again, or x86_64).
# The x86_64 build ships nowhere, so it optimises less and compiles in about
# half the time.
if [[ $tested != "$build-mingw" ]]; then
  configure_windows "$tested" "$WINDOWS_TOOLCHAIN" "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG"
fi
cmake --build "$tested" --target brisko_framing_tests brisko_protocol_tests brisko_link_tests \
  brisko_session_tests brisko_dialog_tests brisko_win32_tests brisko_wine_tool_tests brisko brisko-cli \
  brisko_window_peek
installer=$shipped_installer
if [[ $tested != "$build-mingw" ]]; then
  installer=$(package_windows "$tested")
fi

# One fresh Wine prefix for the whole run (making one takes several seconds).
# The Wine server is stopped before the prefix goes, and after each run of the
# tool, before the simulator's pseudo-terminal closes.
scratch=$(mktemp -d)
export WINEDEBUG=-all WINEPREFIX=$scratch/prefix
XVFB_PID=""
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_processes "$XVFB_PID"
  rm -rf "$scratch"
}
trap cleanup EXIT
# A prefix made by the 64-bit loader on a machine without 32-bit support says
# it cannot start syswow64\rundll32.exe: that part of a prefix serves 32-bit
# programs only.
"$BRISKO_WINE" wineboot -i > "$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log" >&2; exit 1; }

# CTest runs each suite through the toolchain's emulator, the chosen loader.
ctest --test-dir "$tested" --output-on-failure -j2
wineserver -k 2>/dev/null || true

BRISKO_WINE_TOOL_TESTS=$(cd "$tested" && pwd)/tests/e2e/brisko_wine_tool_tests.exe \
  BRISKO_WINE_CLI=$(cd "$tested" && pwd)/app/brisko-cli.exe \
  "$build/tests/e2e/brisko_wine_e2e_tests" --gtest_brief=1

# brisko.exe's window and the installer on one private X server, in the same
# prefix.
xvfb_start "$scratch"
tests/window/wine_window_test.sh "$tested/app/brisko.exe" \
  "$tested/tests/window/brisko_window_peek.exe" "$build/sim/brisko-sim"
tests/window/wine_installer_test.sh "$installer"
