#!/bin/sh
# Installs the dependencies, then builds and runs every check of the project:
# the test suite in an ordinary build (warnings as errors) against Qt 5 and
# against Qt 6, the section/key engine's tests under valgrind's memcheck, the
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, the reference
# documentation, clang-tidy and cppcheck, the benchmarks once, the hot paths' instruction counts against
# their baseline, the suite as a 32-bit build, the coverage report and a
# bounded run of every fuzz target. Stops at the first failure.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/deps-checks.sh
jobs=$(nproc)

# Each preset names every part, whatever an earlier configure of its folder
# (the example script's, say) left in the cache.
cmake --preset default
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

# The same suite built against Qt 6. Its package test installs the Qt 5
# build above into the same prefix and builds a client against each package.
cmake --preset qt6
cmake --build --preset qt6 -j"$jobs"
ctest --preset qt6 -j"$jobs"

# The section/key engine manages its own heap strings and nodes: its tests run
# once more under memcheck, which must see no leak and no error.
for t in build/tests/sectionini/sectionini_tests build/tests/sectionini/sectionini_crt_tests; do
  valgrind --quiet --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible "$t" >/dev/null
done

cmake --preset sanitize
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"

# The public headers' reference documentation: every exported class and
# member documented, no Doxygen warning.
cmake --preset docs
cmake --build --preset docs

# clang-tidy and cppcheck over the library and the tool: no finding allowed.
sh scripts/run-static-analysis.sh

# The benchmarks keep compiling and working: every case once at the smallest size.
sh scripts/run-bench.sh --quick

# The hot paths' instruction counts under callgrind, exact on every run: more
# than 5% above bench/icount-baseline.txt fails, and so does more than 5%
# below until the baseline is updated with the change.
sh scripts/run-icount.sh

# The device's platform: the whole suite built and run as 32-bit x86.
sh scripts/run-i386.sh

# Line and branch coverage of the library by the suite.
sh scripts/run-coverage.sh

# Every fuzz target for a bounded time on its seed corpus.
# 55 s each keeps the step, build included, near 11 minutes for 10 targets.
sh scripts/run-fuzz.sh 55
