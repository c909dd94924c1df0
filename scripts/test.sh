#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

build=${BRISKO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON
cmake --build "$build"

# The dialogs are tested without a display.
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$build" --output-on-failure -j2

# The Windows port layer must keep compiling: the core libraries (link/,
# protocol/) cross-built with mingw-w64, without tests or Qt.
cmake -S . -B "$build-mingw" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DBRISKO_WERROR=ON \
  -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_TESTS=OFF -DBRISKO_BUILD_BENCH=OFF
cmake --build "$build-mingw" --target brisko_link brisko_protocol

# The link and session tests, which run the worker thread against the
# user-interface thread, under ThreadSanitizer: any report fails the run.
# (-Wno-tsan: GCC warns that it cannot model the sentence slots' fences; the
# fences order atomics only, so no report can come from them.)
cmake -S . -B "$build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON \
  -DBRISKO_SANITIZE=thread -DCMAKE_CXX_FLAGS=-Wno-tsan \
  -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_BENCH=OFF
cmake --build "$build-tsan" --target brisko_link_tests brisko_session_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "$build-tsan/tests/link/brisko_link_tests"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "$build-tsan/tests/session/brisko_session_tests"
