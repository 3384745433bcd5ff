#!/bin/sh
# Installs the dependencies, builds the library and its example program and
# runs it on the device configuration shipped in examples/.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIBCOMMONCFG_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
./build/examples/inidemo examples/device.ini build/device.out.ini
