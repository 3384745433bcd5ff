#!/bin/sh
# Builds and runs the benchmarks.
#   scripts/run-bench.sh --quick   every case once at 1000 keys (CI)
#   scripts/run-bench.sh           the sizes in $SIZES; the raw results and
#       plot data stay in build-bench/results, the table, the plot and the
#       memory figures are copied to bench/results (the ones kept in git)
# SIZES defaults to 1000,8000,12500,100000,125000,800000,1000000 (keys).
set -eu
quick=0
if [ "${1:-}" = "--quick" ]; then
  quick=1
fi
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$jobs"
bench="$root/build-bench/bench/lcc_bench"

if [ "$quick" = 1 ]; then
  exec "$bench" --sizes=1000 --benchmark_min_time=0
fi

sizes=${SIZES:-1000,8000,12500,100000,125000,800000,1000000}
work="$root/build-bench/results"
kept="$root/bench/results"
mkdir -p "$work" "$kept"
"$bench" --sizes="$sizes" --benchmark_min_time=${MIN_TIME:-0.3} \
  --benchmark_out="$work/bench.json" --benchmark_out_format=json

# Peak memory of one loaded device file at the largest size.
largest=${sizes##*,}
for loader in IniFile CIniFile QSettings; do
  "$bench" --sizes="$largest" --peak-memory=$loader
done >"$work/memory.txt"

python3 "$root/bench/report.py" "$work/bench.json" "$work"
(cd "$work" && gnuplot time.gp)
cp "$work/table.md" "$work/time.png" "$work/memory.txt" "$kept/"
echo "written: $kept/table.md $kept/time.png $kept/memory.txt (raw results in $work)"
