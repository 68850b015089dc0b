#!/bin/sh
# The hostile-input pass that CI runs after ./test.sh: a clang build of everything with
# AddressSanitizer and UndefinedBehaviorSanitizer (into build-sanitize/), then
#   1. the whole test suite,
#   2. every shipped bench headless through the Full Sequence, in Auto and by hand with the
#      virtual technician,
#   3. each fuzz target for a short smoke run.
# A sanitizer finding, a crash or a hang fails the pass; a bench whose scope fails its tests
# does not (its exit code is the run's verdict, not a fault of the program).
#   scripts/check_sanitizers.sh [FUZZ_SECONDS]   (default 10 s per fuzz target; 0 skips fuzzing)
set -e
cd "$(dirname "$0")/.."
fuzz_seconds=${1:-10}
build=build-sanitize

./scripts/setup.sh
export CCACHE_BASEDIR="$(pwd)"
CC=clang CXX=clang++ ./scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERIDANE_FUZZ=ON
cmake --build "$build" -j"$(nproc)" --target all fuzz_targets

# A finding ends the program with 86, a code no run of ours gives.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:exitcode=86"
export UBSAN_OPTIONS="print_stacktrace=1:exitcode=86"
export LSAN_OPTIONS="exitcode=86"
export QT_QPA_PLATFORM=offscreen
failed=0

echo "== the test suite under the sanitizers"
if ! (cd "$build" && ctest --output-on-failure -j"$(nproc)" >ctest.log 2>&1); then
  failed=$((failed + 1))
  grep -E "tests passed|Failed|\*\*\*" "$build/ctest.log" | tail -n 40
else
  grep -E "tests passed|Skipped" "$build/ctest.log"
fi

echo "== every shipped bench headless under the sanitizers"
program="$build/src/app/veridane"
runs="$build/bench-runs"
rm -rf "$runs"
mkdir -p "$runs/home"
benches=0
for file in sim/benches/*.toml; do
  bench=$(basename "$file" .toml)
  for mode in auto manual; do
    extra=""
    [ "$mode" = manual ] && extra="--manual --technician virtual"
    set +e
    # The data and settings of these runs stay in a folder of their own.
    HOME="$runs/home" XDG_DATA_HOME= XDG_CONFIG_HOME= APPDATA= timeout 600 \
      "$program" --headless --bench "sim:$bench" --run full $extra >"$runs/$bench.$mode.out" 2>"$runs/$bench.$mode.err"
    code=$?
    set -e
    benches=$((benches + 1))
    # 0 passed, 1 a test failed, 2 stopped by the technician, 3 ended on a fatal message.
    if [ "$code" -gt 3 ] || grep -qE "Sanitizer|runtime error:" "$runs/$bench.$mode.err"; then
      failed=$((failed + 1))
      echo "== sim:$bench ($mode) ended with $code:"
      tail -n 40 "$runs/$bench.$mode.err"
    fi
  done
done
echo "$benches bench runs done"

if [ "$fuzz_seconds" -gt 0 ]; then
  VERIDANE_SKIP_BUILD=1 ./scripts/fuzz.sh "$fuzz_seconds" || failed=$((failed + 1))
fi
echo "sanitizer pass: $failed problem(s)"
[ "$failed" -eq 0 ]
