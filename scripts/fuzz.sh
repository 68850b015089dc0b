#!/bin/sh
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitize/ and runs each for SECONDS (default 60). New inputs collect in
# build-sanitize/corpus/<target>; an input that crashes, hangs or trips a sanitizer is kept as
# build-sanitize/findings/<target>-... and the script ends with 1.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -e
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=build-sanitize
targets="$*"
# Every target of fuzz/: one file each.
[ -z "$targets" ] && targets=$(for f in fuzz/*_fuzz.cpp; do basename "$f" .cpp; done)

if [ -z "$VERIDANE_SKIP_BUILD" ]; then
  ./scripts/setup.sh
  export CCACHE_BASEDIR="$(pwd)"
  CC=clang CXX=clang++ ./scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERIDANE_FUZZ=ON
  cmake --build "$build" -j"$(nproc)" --target fuzz_targets
fi

mkdir -p "$build/findings"
failed=""
for target in $targets; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds="fuzz/corpus/$target"
  [ "$target" = bench_file_fuzz ] && seeds="sim/benches"
  [ "$target" = standards_register_fuzz ] && seeds="sim/standards"
  echo "== $target: $seeds, $seconds s"
  # -timeout: one input taking longer is a hang; -rss_limit_mb: growth without bound.
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
      -artifact_prefix="$build/findings/$target-" "$corpus" "$seeds" >"$build/findings/$target.log" 2>&1; then
    failed="$failed $target"
    tail -n 40 "$build/findings/$target.log"
  else
    tail -n 1 "$build/findings/$target.log"
  fi
done
if [ -n "$failed" ]; then
  echo "Fuzzing found problems in:$failed (inputs in $build/findings/)"
  exit 1
fi
echo "Fuzzing: no finding in $(echo $targets | wc -w) targets"
