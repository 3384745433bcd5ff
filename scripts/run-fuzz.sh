#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time
# on its seed corpus. Any crash, leak, timeout or broken round trip fails.
# Usage: sh scripts/run-fuzz.sh [seconds-per-target]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIBCOMMONCFG_FUZZ=ON \
  -DLIBCOMMONCFG_BUILD_TESTS=OFF -DLIBCOMMONCFG_BUILD_EXAMPLES=OFF
cmake --build build-fuzz -j"$(nproc)"
for target in build-fuzz/fuzz/fuzz_*; do
  name=$(basename "$target" | sed 's/^fuzz_//')
  work=build-fuzz/corpus/$name
  mkdir -p "$work"
  dict=""
  family=$(echo "$name" | sed 's/_.*//')
  [ -f "fuzz/$family.dict" ] && dict="-dict=fuzz/$family.dict"
  echo "== fuzzing $name for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1 "$target" $dict -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" "fuzz/corpus/$name"
done
