#!/bin/sh
# clang-tidy (checks in .clang-tidy) and cppcheck over the library and the
# tool. Any finding fails. Suppressions, where needed, stand at the place
# with a one-line reason.
set -eu
cd "$(dirname "$0")/.."
cmake --preset analysis >/dev/null
# The generated export header must exist before the sources are analysed.
cmake --build --preset analysis --target LibCommonCfgObjects -j"$(nproc)" >/dev/null
sources=$(git ls-files 'src/*.cpp' 'tools/*.cpp')
echo "== clang-tidy"
echo "$sources" | xargs -P "$(nproc)" -n 4 clang-tidy -p build-analysis --quiet 2>&1 \
  | grep -v -E '^[0-9]+ warnings? generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter' \
  | tee build-analysis/clang-tidy.log
if grep -q -E 'warning:|error:' build-analysis/clang-tidy.log; then
  echo "clang-tidy found problems" >&2
  exit 1
fi
echo "== cppcheck"
cppcheck --quiet --enable=warning,performance,portability --std=c++17 --error-exitcode=1 --inline-suppr \
  --suppress=missingIncludeSystem -I include -I src -I build-analysis/include $sources
echo "static analysis: no findings"
