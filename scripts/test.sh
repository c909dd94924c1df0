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
ctest_log=$(mktemp)
ctest --test-dir "$build" --output-on-failure -j2 | tee "$ctest_log"
ctest_total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$ctest_log" | tail -n 1)

# The core and its tests built for Windows and run under Wine.
scripts/test-windows.sh

# Runs test binaries two at a time (they mostly wait on pseudo-terminals and
# timers); fails when any of them fails. Only failures are printed in full.
run_tests() {
  printf '%s\n' "$@" | xargs -P 2 -I {} sh -c '{} --gtest_brief=1 || { echo "FAILED: {}" >&2; exit 1; }'
}
# The test binaries brisko_<area>_tests of the given areas, and their paths.
test_targets() { for area in "$@"; do echo "brisko_${area}_tests"; done; }
test_binaries() { local dir=$1; shift; for area in "$@"; do echo "$dir/tests/$area/brisko_${area}_tests"; done; }

# The sanitizer runs keep the simulator's fault modes short.
export BRISKO_FAULT_MODE_SECONDS=2

# The tests that run the worker thread against the user-interface thread
# (link, session, end-to-end, fault injection, nothing lost) under
# ThreadSanitizer: any report fails the run.
# (-Wno-tsan: GCC warns that it cannot model the sentence slots' fences; the
# fences order atomics only, so no report can come from them.)
cmake -S . -B "$build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON \
  -DBRISKO_SANITIZE=thread -DCMAKE_CXX_FLAGS=-Wno-tsan \
  -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_BENCH=OFF
tsan_areas=(link session e2e fault lost)
cmake --build "$build-tsan" --target brisko-sim $(test_targets "${tsan_areas[@]}")
(
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
  run_tests $(test_binaries "$build-tsan" "${tsan_areas[@]}")
)

# Everything but the dialogs and the program under AddressSanitizer and
# UndefinedBehaviorSanitizer (the simulator too, which the end-to-end tests
# start): any report fails the run.
cmake -S . -B "$build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISKO_WERROR=ON \
  -DBRISKO_SANITIZE=address,undefined -DBRISKO_BUILD_UI=OFF
asan_areas=(framing link protocol session sim bench e2e fault lost)
cmake --build "$build-asan" --target brisko-sim $(test_targets "${asan_areas[@]}")
(
  export ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1"
  run_tests $(test_binaries "$build-asan" "${asan_areas[@]}")
)

# A few seconds of each fuzz target (clang, libFuzzer with AddressSanitizer
# and UndefinedBehaviorSanitizer) from its seed corpus; new inputs go to a
# scratch corpus. The long runs are described in fuzz/README.md.
cmake -S . -B "$build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRISKO_FUZZ=ON -DBRISKO_BUILD_UI=OFF -DBRISKO_BUILD_TESTS=OFF -DBRISKO_BUILD_BENCH=OFF
fuzz_targets=(receive commands settings)
cmake --build "$build-fuzz" --target "${fuzz_targets[@]/#/brisko_fuzz_}"
for target in "${fuzz_targets[@]}"; do
  scratch=$(mktemp -d)
  mkdir "$scratch/corpus"
  options=(-max_total_time=5 -print_final_stats=1 -artifact_prefix="$scratch/")
  [[ $target == receive ]] && options+=(-dict=fuzz/sentences.dict)
  if ! "$build-fuzz/fuzz/brisko_fuzz_$target" "${options[@]}" "$scratch/corpus" "fuzz/corpus/$target" \
      > "$scratch/log" 2>&1; then
    tail -n 60 "$scratch/log" >&2
    echo "FAILED: brisko_fuzz_$target; the input that broke it is in $scratch" >&2
    exit 1
  fi
  echo "brisko_fuzz_$target: $(grep -h '^stat::number_of_executed_units' "$scratch/log"), no finding"
  rm -rf "$scratch"
done

# Every step above stops the script on a failure, so reaching here means the
# whole suite passed; the last line counts CTest's tests.
echo "Tests: ${ctest_total:-0} passed, 0 failed"
