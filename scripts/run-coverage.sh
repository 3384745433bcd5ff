#!/bin/sh
# Builds the library and the tests with gcov coverage, runs the whole suite
# and prints the line and branch coverage of the library's own sources (the
# tests, fuzz targets, examples and the tool are not counted), per folder
# and overall. Throw branches and branches the compiler proves unreachable
# are left out. Needs gcc and gcovr.
# Usage: sh scripts/run-coverage.sh
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=build-coverage
jobs=$(nproc)

cmake --preset coverage
cmake --build --preset coverage -j"$jobs"
# Counts of an earlier run would add up with this one.
find "$build" -name '*.gcda' -delete
ctest --preset coverage -j"$jobs"

gcovr --root "$root" --object-directory "$build" \
  --filter "$root/(src|include)/" \
  --exclude-throw-branches --exclude-unreachable-branches \
  --txt "$build/coverage.txt" --json-summary "$build/coverage-summary.json" --print-summary
cat "$build/coverage.txt"

echo "== coverage per folder (lines, branches)"
python3 - "$build/coverage-summary.json" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
folders = {}
for f in files:
    parts = f["filename"].split("/")
    name = parts[1] if parts[0] == "src" else parts[0]
    t = folders.setdefault(name, [0, 0, 0, 0])
    t[0] += f["line_covered"]; t[1] += f["line_total"]
    t[2] += f["branch_covered"]; t[3] += f["branch_total"]
def pct(covered, total):
    return "%5.1f%% (%d/%d)" % (100.0 * covered / total, covered, total) if total else "  n/a"
for name in sorted(folders):
    t = folders[name]
    print("%-12s lines %-22s branches %s" % (name, pct(t[0], t[1]), pct(t[2], t[3])))
s = [sum(t[i] for t in folders.values()) for i in range(4)]
print("%-12s lines %-22s branches %s" % ("total", pct(s[0], s[1]), pct(s[2], s[3])))
PY
