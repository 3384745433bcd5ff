#!/bin/sh
# Installs, on top of scripts/deps.sh, what the full check run needs on
# Debian 12 (as root): memcheck, the reference documentation, static
# analysis, benchmarks, libFuzzer, coverage and the 32-bit build.
set -eu
export DEBIAN_FRONTEND=noninteractive
# The 32-bit build uses Debian's i386 multiarch packages beside the native ones.
dpkg --add-architecture i386
apt-get update
apt-get install -y --no-install-recommends \
  valgrind doxygen \
  clang-tidy cppcheck \
  libbenchmark-dev libinih-dev libsimpleini-dev gnuplot-nox \
  clang libclang-rt-14-dev gcovr \
  g++-multilib qtbase5-dev:i386 libgtest-dev:i386 qemu-user
