#!/bin/sh
# Instruction counts of the hot paths at 12500 keys of the device file, under
# callgrind, against the baseline kept in git (bench/icount-baseline.txt).
#   scripts/run-icount.sh            compare; exit 1 when a path runs more than
#                                    5% more instructions than its baseline, or
#                                    more than 5% fewer (the baseline is stale)
#   scripts/run-icount.sh --update   rewrite the baseline with this run's counts
# Counts are exact: the same build gives the same counts on every run and, with
# the fixed environment below, on every machine whose valgrind presents the
# same processor (it presents one of a few models of its own, not the host's).
# The callgrind files stay in build-bench/icount for callgrind_annotate.
set -eu
update=0
case "${1:-}" in
  --update) update=1 ;;
  "") ;;
  *) echo "usage: sh scripts/run-icount.sh [--update]" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}
keys=12500
limit=5
baseline="$root/bench/icount-baseline.txt"
out="$root/build-bench/icount"

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$jobs"
mkdir -p "$out"

valgrind=$(command -v valgrind) || { echo "run-icount: valgrind is missing (scripts/deps-checks.sh)" >&2; exit 1; }

# What the counts depend on besides our code, recorded in the baseline and
# compared, so that a difference in the toolchain is told apart from one in
# the library.
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' build-bench/CMakeCache.txt)
buildtype=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' build-bench/CMakeCache.txt)
packages=""
arch=$(dpkg --print-architecture 2>/dev/null || echo unknown)
for p in libc6 libstdc++6 libqt5core5a libicu72 libinih1 libsimpleini-dev valgrind; do
  v=$(dpkg-query -W -f '${Version}' "$p:$arch" 2>/dev/null || dpkg-query -W -f '${Version}' "$p" 2>/dev/null || echo none)
  packages="$packages $p $v,"
done
cpu=$(cd / && "$valgrind" -q /lib64/ld-linux-x86-64.so.2 --list-diagnostics 2>/dev/null |
  sed -n 's/^x86.cpu_features.features\[0x0\].cpuid\[0x0\]=/signature /p; s/^x86.cpu_features.isa_1=/levels /p' |
  tr '\n' ' ' | sed 's/ $//')
toolchain="$buildtype, $("$cxx" --version | head -n 1);${packages%,}; processor under valgrind: ${cpu:-unknown}"

# Every run sees the same environment and the same argument strings, from
# the same folder: getenv walks the environment, string functions branch on
# the alignment of what they read, and QHash seeds itself at random unless
# QT_HASH_SEED is 0. The files it reads are made by lcc_icount itself.
counts="$out/counts.txt"
: >"$counts"
cd "$root/build-bench/bench"
for path in $(./lcc_icount --list); do
  if ! env -i PATH=/usr/bin:/bin QT_HASH_SEED=0 LC_ALL=C.UTF-8 TZ=UTC0 \
      "$valgrind" --tool=callgrind --instr-atstart=no \
      --callgrind-out-file="$out/$path.callgrind" --log-file="$out/$path.log" \
      ./lcc_icount "$path" --keys=$keys >"$out/$path.stdout"; then
    echo "run-icount: $path failed:" >&2
    cat "$out/$path.log" "$out/$path.stdout" >&2
    exit 1
  fi
  n=$(sed -n 's/^totals: *//p' "$out/$path.callgrind")
  case "$n" in
    ''|*[!0-9]*) echo "run-icount: no total in $out/$path.callgrind" >&2; exit 1 ;;
  esac
  echo "$path $n" >>"$counts"
done
cd "$root"

if [ "$update" = 1 ]; then
  {
    echo "# Instruction counts (callgrind Ir) of lcc_icount's paths at $keys keys of"
    echo "# the device file: one operation each; a load counts the document's destruction."
    echo "# Written by \`sh scripts/run-icount.sh --update\`, which compares against"
    echo "# it and fails when a path is more than $limit% above or below its count."
    echo "# Made from the bench preset's build with:"
    echo "# toolchain: $toolchain"
    echo "keys $keys"
    cat "$counts"
  } >"$baseline"
fi

[ -f "$baseline" ] || { echo "run-icount: $baseline is missing; make it with --update" >&2; exit 1; }

was=$(sed -n 's/^# toolchain: //p' "$baseline")
if [ "$was" != "$toolchain" ]; then
  echo "note: the baseline was made with another toolchain, so counts may differ for that reason alone:"
  echo "  baseline: $was"
  echo "  here:     $toolchain"
fi

awk -v limit="$limit" -v keys="$keys" -v update="$update" '
  FNR == NR {
    if ($0 ~ /^#/ || NF == 0) next
    if ($1 == "keys") { basekeys = $2; next }
    base[$1] = $2
    next
  }
  { order[++n] = $1; now[$1] = $2 }
  function ratio(a, b) { return (a in now) && (b in now) && now[b] > 0 ? sprintf("%.2f", now[a] / now[b]) : "-" }
  END {
    if (basekeys != keys) {
      printf "run-icount: the baseline was made at %s keys, this run is at %s\n", basekeys, keys
      exit 1
    }
    printf "%-18s %13s %13s %9s\n", "path", "baseline", "now", "change"
    slower = 0; faster = 0; unknown = 0
    for (i = 1; i <= n; i++) {
      p = order[i]
      if (!(p in base)) {
        printf "%-18s %13s %13d %9s  no baseline\n", p, "-", now[p], "-"
        unknown++
        continue
      }
      change = 100 * (now[p] - base[p]) / base[p]
      verdict = ""
      if (change > limit) { verdict = "  SLOWER"; slower++ }
      else if (change < -limit) { verdict = "  faster"; faster++ }
      printf "%-18s %13d %13d %+8.2f%%%s\n", p, base[p], now[p], change, verdict
    }
    for (p in base)
      if (!(p in now)) { printf "%-18s %13d %13s  no longer run\n", p, base[p], "-"; unknown++ }
    printf "\ninstruction ratios at %d keys:\n", keys
    printf "  QSettings_load / IniFile_load   %s  (target: at least 3)\n", ratio("QSettings_load", "IniFile_load")
    printf "  SimpleIni_load / CIniFile_Read  %s  (target: at least 2.5)\n", ratio("SimpleIni_load", "CIniFile_Read")
    printf "  CIniFile_Read / inih_noop       %s  (target: at most 3)\n", ratio("CIniFile_Read", "inih_noop")
    printf "  IniFile_load / Model_fill       %s  (what the code adds to filling the map alone)\n", ratio("IniFile_load", "Model_fill")
    if (update) { print "\nbaseline written"; exit 0 }
    status = 0
    if (slower) {
      printf "\n%d path(s) run more than %d%% more instructions than the baseline: a regression.\n", slower, limit
      status = 1
    }
    if (faster || unknown) {
      printf "\nThe baseline no longer matches the paths (%d more than %d%% faster, %d added or gone).\n", faster, limit, unknown
      print "Record it in the same commit as the change: sh scripts/run-icount.sh --update"
      status = 1
    }
    exit status
  }
' "$baseline" "$counts"
