#!/bin/sh
# Builds the library, the tool and the whole test suite as 32-bit x86 (the
# device's platform) with Debian's i386 multiarch packages, and runs the
# suite. Needs: dpkg --add-architecture i386, then qtbase5-dev:i386
# libgtest-dev:i386 g++-multilib, and qemu-user where the kernel runs no
# 32-bit programs itself.
# Usage: sh scripts/run-i386.sh
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Can this kernel start 32-bit programs? If not (no IA32 emulation, or it is
# switched off at boot), every built program goes through qemu-i386.
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf 'int main() { return sizeof(void*) == 4 ? 0 : 1; }\n' > "$probe_dir/probe.cpp"
g++ -m32 "$probe_dir/probe.cpp" -o "$probe_dir/probe"
emulator=""
if "$probe_dir/probe" 2>/dev/null; then
  echo "== the kernel runs 32-bit programs natively"
elif command -v qemu-i386 >/dev/null 2>&1 && qemu-i386 "$probe_dir/probe"; then
  emulator=$(command -v qemu-i386)
  echo "== the kernel runs no 32-bit programs: starting them through $emulator"
else
  echo "run-i386: this kernel runs no 32-bit programs and qemu-i386 (Debian package qemu-user) is missing" >&2
  exit 1
fi

cmake --preset i386 -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator"
cmake --build --preset i386 -j"$jobs"
ctest --preset i386 -j"$jobs"
