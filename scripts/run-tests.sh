#!/bin/sh
# Installs the dependencies, then builds and runs the whole test suite twice:
# an ordinary build (warnings as errors), with the section/key engine's tests
# also under valgrind's memcheck, and one under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIBCOMMONCFG_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The section/key engine manages its own heap strings and nodes: its tests run
# once more under memcheck, which must see no leak and no error.
for t in build/tests/sectionini/sectionini_tests build/tests/sectionini/sectionini_crt_tests; do
  valgrind --quiet --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible "$t" >/dev/null
done

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DLIBCOMMONCFG_WERROR=ON -DLIBCOMMONCFG_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

# The public headers' reference documentation: every exported class and
# member documented, no Doxygen warning.
cmake -S . -B build-docs -DLIBCOMMONCFG_BUILD_DOCS=ON -DLIBCOMMONCFG_BUILD_TESTS=OFF -DLIBCOMMONCFG_BUILD_TOOLS=OFF \
  -DLIBCOMMONCFG_BUILD_EXAMPLES=OFF
cmake --build build-docs --target docs
