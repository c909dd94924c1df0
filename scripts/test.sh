#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Usage: scripts/test.sh [--quick]
#   --quick: only the build and CTest (no Windows cross-build, sanitizers or
#   fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."

quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

if $quick; then
  scripts/install-deps.sh quick
else
  scripts/install-deps.sh test
fi

build=${BRISKO_BUILD_DIR:-build}
# The tests' builds optimise less (-O1) and keep line tables only (-g1),
# enough for a failing test's backtrace: that halves their compile time
# (the sanitizer builds' most), and the time of the whole command is mostly
# compiling. The benchmarks build a Release of their own (scripts/bench.sh).
test_flags="-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON "$test_flags"
cmake --build "$build"

# The dialogs are tested without a display, in a runtime directory of their
# own unless the caller has one.
export QT_QPA_PLATFORM=offscreen
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d)  # mode 0700
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
ctest --test-dir "$build" --output-on-failure -j2 | tee "$build/ctest.log"
ctest_total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$build/ctest.log" | tail -n 1)

# Every step above stops the script on a failure; the last line counts
# CTest's tests.
if $quick; then
  echo "Tests: ${ctest_total:-0} passed, 0 failed"
  exit 0
fi

# The core and its tests built for Windows and run under Wine.
scripts/test-windows.sh

# Runs test binaries two at a time (they mostly wait on pseudo-terminals and
# timers); fails when any of them fails. Only failures are printed in full.
run_tests() {
  # shellcheck disable=SC2016 # "$1" is the inner shell's argument, expanded there
  printf '%s\0' "$@" |
    xargs -0 -P 2 -I {} sh -c '"$1" --gtest_brief=1 || { echo "FAILED: $1" >&2; exit 1; }' sh {}
}
# build_and_run_tests DIR AREA...: builds brisko-sim and the test binaries
# brisko_<area>_tests in DIR, then runs them in that order: the longest
# first, so that the two at a time end about together.
build_and_run_tests() {
  local dir=$1 area
  shift
  local targets=(brisko-sim) binaries=()
  for area in "$@"; do
    targets+=("brisko_${area}_tests")
    binaries+=("$dir/tests/$area/brisko_${area}_tests")
  done
  cmake --build "$dir" --target "${targets[@]}"
  run_tests "${binaries[@]}"
}

# The sanitizer runs keep the simulator's fault modes short.
export BRISKO_FAULT_MODE_SECONDS=2

# The tests that run the worker thread against the user-interface thread
# (link, session, the neutral dialog, end-to-end, fault injection, nothing
# lost) under ThreadSanitizer: any report fails the run.
# (-Wno-tsan: GCC warns that it cannot model the sentence slots' fences; the
# fences order atomics only, so no report can come from them.)
cmake -S . -B "$build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON \
  -DBRISKO_SANITIZE=thread -DCMAKE_CXX_FLAGS=-Wno-tsan "$test_flags" \
  -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_BENCH=OFF
(
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
  build_and_run_tests "$build-tsan" lost fault e2e dialog session link
)

# The units under AddressSanitizer and UndefinedBehaviorSanitizer, the
# simulator's too: any report fails the run. The whole-tool runs (end-to-end,
# fault injection, nothing lost) ran under ThreadSanitizer above; running them
# again here would add a third to the command's time for code these units
# already cover.
cmake -S . -B "$build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON \
  -DBRISKO_SANITIZE=address,undefined -DBRISKO_BUILD_UI=OFF "$test_flags"
(
  export ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1"
  build_and_run_tests "$build-asan" sim dialog link session protocol bench framing
)

# A few seconds of each fuzz target (clang, libFuzzer with AddressSanitizer
# and UndefinedBehaviorSanitizer) from its seed corpus; new inputs go to a
# scratch corpus in the build directory, which is kept only when the target
# found something. The long runs are described in fuzz/README.md.
cmake -S . -B "$build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRISKO_FUZZ=ON -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_TESTS=OFF -DBRISKO_BUILD_BENCH=OFF "$test_flags"
fuzz_targets=(receive commands settings trace)
cmake --build "$build-fuzz" --target "${fuzz_targets[@]/#/brisko_fuzz_}"
# fuzz_smoke TARGET: the few seconds of one target; fails on a finding.
fuzz_smoke() {
  local target=$1 scratch="$build-fuzz/smoke/$1"
  rm -rf "$scratch"
  mkdir -p "$scratch/corpus"
  local options=(-max_total_time=5 -print_final_stats=1 -artifact_prefix="$scratch/")
  [[ $target == receive ]] && options+=(-dict=fuzz/sentences.dict)
  if ! "$build-fuzz/fuzz/brisko_fuzz_$target" "${options[@]}" "$scratch/corpus" "fuzz/corpus/$target" \
      > "$scratch/log" 2>&1; then
    tail -n 60 "$scratch/log" >&2
    echo "FAILED: brisko_fuzz_$target; the input that broke it is in $scratch" >&2
    return 1
  fi
  echo "brisko_fuzz_$target: $(grep -h '^stat::number_of_executed_units' "$scratch/log"), no finding"
  rm -rf "$scratch"
}
# Two targets at a time, one a core.
fuzz_failed=false
for ((i = 0; i < ${#fuzz_targets[@]}; i += 2)); do
  pids=()
  for target in "${fuzz_targets[@]:i:2}"; do
    fuzz_smoke "$target" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || fuzz_failed=true; done
done
if $fuzz_failed; then exit 1; fi

echo "Tests: ${ctest_total:-0} passed, 0 failed"
