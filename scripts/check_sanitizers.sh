#!/bin/sh
# The hostile-input pass that CI runs after ./test.sh: a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer of the tests of every reader and parser and of the whole-program
# runs on the shipped benches, then each fuzz target for a short smoke run. Only what those
# tests need is built (into build-sanitize/), which keeps the pass within minutes on 2 cores.
#   scripts/check_sanitizers.sh [FUZZ_SECONDS]   (default 10 s per fuzz target; 0 skips fuzzing)
set -e
cd "$(dirname "$0")/.."
fuzz_seconds=${1:-10}
build=build-sanitize
tests="platform_test report_test instruments_test gpib_test gpib_backends_test sim_bench_test sim_scope_test
  console_test pv_test e2e_test"

./scripts/setup.sh
export CCACHE_BASEDIR="$(pwd)"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERIDANE_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target $tests fuzz_targets

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
passed=0
failed=0
for t in $tests; do
  binary=$(find "$build/test" -type f -name "$t" -perm -u+x | head -n 1)
  if "$binary" --gtest_brief=1 >"$build/$t.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "== $t failed under the sanitizers:"
    tail -n 60 "$build/$t.log"
  fi
done

fuzz_result=0
if [ "$fuzz_seconds" -gt 0 ]; then
  VERIDANE_SKIP_BUILD=1 ./scripts/fuzz.sh "$fuzz_seconds" || fuzz_result=1
fi
[ "$fuzz_result" -ne 0 ] && failed=$((failed + 1))
echo "sanitizers: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
