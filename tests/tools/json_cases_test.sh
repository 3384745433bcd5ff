#!/bin/sh
# json_cases_test.sh CASES: the expected output of every tool case run with
# --json (which the case runner compares byte for byte) is one JSON document.
set -eu
found=0
for case in "$1"/*/case; do
  grep -qx 'arg --json' "$case" || continue
  found=$((found + 1))
  jq -e 'type == "object" or type == "array"' "$(dirname "$case")/stdout" >/dev/null ||
    { echo "not JSON: $(dirname "$case")/stdout"; exit 1; }
done
[ "$found" -gt 5 ] || { echo "only $found --json cases found"; exit 1; }
