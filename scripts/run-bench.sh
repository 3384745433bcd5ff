#!/bin/sh
# Builds and runs the benchmarks.
#   scripts/run-bench.sh --quick [build-dir]   every case once at 1000 keys (CI)
#   scripts/run-bench.sh [build-dir]           the sizes in $SIZES, writing
#       bench/results/bench.json, bench/results/table.md and bench/results/time.png
# SIZES defaults to 1000,8000,12500,100000,125000,800000,1000000 (keys).
set -eu
quick=0
if [ "${1:-}" = "--quick" ]; then
  quick=1
  shift
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-/tmp/lcc-bench-build}
jobs=${JOBS:-2}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLIBCOMMONCFG_BUILD_BENCH=ON \
  -DLIBCOMMONCFG_BUILD_TESTS=OFF -DLIBCOMMONCFG_BUILD_EXAMPLES=OFF -DLIBCOMMONCFG_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target bench
bench="$build/bench/lcc_bench"

if [ "$quick" = 1 ]; then
  exec "$bench" --sizes=1000 --benchmark_min_time=0
fi

sizes=${SIZES:-1000,8000,12500,100000,125000,800000,1000000}
results="$root/bench/results"
mkdir -p "$results"
"$bench" --sizes="$sizes" --benchmark_min_time=${MIN_TIME:-0.3} \
  --benchmark_out="$results/bench.json" --benchmark_out_format=json

# Peak memory of one loaded device file at the largest size.
largest=${sizes##*,}
for loader in IniFile CIniFile QSettings; do
  "$bench" --sizes="$largest" --peak-memory=$loader
done >"$results/memory.txt"

python3 "$root/bench/report.py" "$results/bench.json" "$results"
(cd "$results" && gnuplot time.gp)
echo "written: $results/table.md $results/time.png $results/memory.txt"
