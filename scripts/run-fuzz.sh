#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time
# on its seed corpus and dictionary. Any crash, leak, timeout, memory blow-up
# or broken round trip fails the run; the first failing input is kept under
# build-fuzz/artifacts/. Needs clang and its fuzzer runtime (Debian: clang,
# libclang-rt-14-dev).
# Usage: sh scripts/run-fuzz.sh [seconds-per-target]   (default 45)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-45}
build=build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset fuzz
cmake --build --preset fuzz -j"$jobs"

# Every source under fuzz/ must have given its target.
status=0
for source in fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  if [ ! -x "$build/fuzz/fuzz_$name" ]; then
    echo "fuzz target fuzz_$name was not built" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] || exit 1

mkdir -p "$build/artifacts"
failed=""
for source in fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  work=$build/corpus/$name
  mkdir -p "$work"
  family=${name%%_*}
  set -- -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$name-"
  [ -f "fuzz/$family.dict" ] && set -- "$@" -dict="fuzz/$family.dict"
  echo "== fuzzing $name for ${seconds}s"
  if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/fuzz_$name" "$@" "$work" "fuzz/corpus/$name" >"$build/$name.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log")
    echo "   $name: ${runs:-?} runs, no failure"
  else
    echo "   $name FAILED; tail of $build/$name.log:" >&2
    tail -n 40 "$build/$name.log" >&2
    failed="$failed $name"
  fi
done

if [ -n "$failed" ]; then
  echo "fuzzing failed:$failed" >&2
  exit 1
fi
echo "all fuzz targets ran ${seconds}s each without failure"
