#!/usr/bin/env bash
# The Windows side of the test command: the core and its tests cross-built
# with mingw-w64 for 32-bit Windows (cmake/mingw-w64.cmake), the framing, protocol, link,
# session, neutral dialog and Win32 front-end suites run under Wine, then the
# Windows build of the tool against brisko-sim under Wine
# (tests/e2e/wine_e2e_test.cpp), then brisko.exe's window on a private X
# server (tests/window/wine_window_test.sh) and the installer, silent
# (tests/window/wine_installer_test.sh). Called by
# scripts/test.sh; runs on its own too. Build directories: $BRISKO_BUILD_DIR
# (default build/) for the simulator, and the same name with -mingw.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

build=${BRISKO_BUILD_DIR:-build}

# The Linux side: the simulator and the test that drives the run under Wine.
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON
fi
cmake --build "$build" --target brisko-sim brisko_wine_e2e_tests

# The Windows side, without Qt: the one 32-bit program. A build directory
# configured for another compiler (the former 64-bit build) starts afresh.
if [[ -f "$build-mingw/CMakeCache.txt" ]] && ! grep -q '^BRISKO_WINE:' "$build-mingw/CMakeCache.txt"; then
  rm -rf "$build-mingw/CMakeCache.txt" "$build-mingw/CMakeFiles"
fi
cmake -S . -B "$build-mingw" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DBRISKO_WERROR=ON -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_BENCH=OFF
cmake --build "$build-mingw" --target brisko_framing_tests brisko_protocol_tests brisko_link_tests \
  brisko_session_tests brisko_dialog_tests brisko_win32_tests brisko_wine_tool_tests brisko brisko_window_peek
# The installer and the ZIP (makensis).
(cd "$build-mingw" && cpack -G NSIS -C Release >cpack.log 2>&1) || { cat "$build-mingw/cpack.log" >&2; exit 1; }
installer=$(ls "$build-mingw"/brisko-*-win32.exe)

# One fresh Wine prefix for the whole run (making one takes several seconds).
# The Wine server is stopped before the prefix goes, and after each run of the
# tool, before the simulator's pseudo-terminal closes.
wine=$(sed -n 's/^BRISKO_WINE:FILEPATH=//p' "$build-mingw/CMakeCache.txt")
if [[ -z $wine || $wine == *NOTFOUND ]]; then
  echo "wine not found: install the packages wine and wine32:i386" >&2
  exit 1
fi
scratch=$(mktemp -d)
export WINEDEBUG=-all WINEPREFIX=$scratch/prefix
XVFB_PID=""
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_processes "$XVFB_PID"
  rm -rf "$scratch"
}
trap cleanup EXIT
wineboot -i > "$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log" >&2; exit 1; }

# CTest runs each suite through wine, the toolchain's emulator.
ctest --test-dir "$build-mingw" --output-on-failure -j2
wineserver -k 2>/dev/null || true

BRISKO_WINE=$wine BRISKO_WINE_TOOL_TESTS=$(cd "$build-mingw" && pwd)/tests/e2e/brisko_wine_tool_tests.exe \
  "$build/tests/e2e/brisko_wine_e2e_tests" --gtest_brief=1

# brisko.exe's window and the installer on one private X server, in the same
# prefix.
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
xvfb_start "$scratch"
BRISKO_WINE=$wine tests/window/wine_window_test.sh "$build-mingw/app/brisko.exe" \
  "$build-mingw/tests/window/brisko_window_peek.exe" "$build/sim/brisko-sim"
BRISKO_WINE=$wine tests/window/wine_installer_test.sh "$installer"
