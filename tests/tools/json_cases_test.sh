#!/bin/sh
# json_cases_test.sh CASES: the expected output of every tool case run with
# --json (which the case runner compares byte for byte) is JSON in the shape
# docs/json.md gives for its command; several files give an array of them.
set -eu
shape() {
  case $1 in
    show) echo '.file and .format and ((.groups|type) == "array" or (.keys|type) == "array")
                and all((.groups // [])[]; (.group|type) == "string" and (.keys|type) == "array")
                and all(((.keys // []) + [(.groups // [])[].keys[]])[]; has("key") and has("value") and (.line|type) == "number")' ;;
    get) echo '.file and (.key|type) == "string" and has("value")' ;;
    list) echo '.file and ((.groups|type) == "array" or (.keys|type) == "array")' ;;
    check-network) echo '.file and (.interfaces|type) == "array" and (.findings|type) == "array"' ;;
    validate) echo '.file and .format and all(.findings[]; (.text|type) == "string")' ;;
    diff) echo '.a and .b and .format and all(.keys.removed[], .keys.added[]; has("key") and has("value"))
                and all(.keys.changed[]; has("key") and has("a") and has("b"))' ;;
    password) echo '(.scrambled // .password | type) == "string"' ;;
    *) echo false ;;
  esac
}
found=0
for case in "$1"/*/case; do
  grep -qx 'arg --json' "$case" || continue
  found=$((found + 1))
  command=$(sed -n 's/^arg \([a-z-]*\)$/\1/p' "$case" | head -n 1)
  jq -e "if type == \"array\" then all(.[]; $(shape "$command")) else $(shape "$command") end" \
    "$(dirname "$case")/stdout" >/dev/null ||
    { echo "not the JSON of $command: $(dirname "$case")/stdout"; exit 1; }
done
[ "$found" -gt 5 ] || { echo "only $found --json cases found"; exit 1; }
