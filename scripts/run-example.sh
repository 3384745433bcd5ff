#!/bin/sh
# Installs the dependencies, builds the library, the commoncfg tool and the
# example program, and runs them on the device files shipped in examples/.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)" --target commoncfg inidemo

echo "== commoncfg show examples/device.ini"
./build/tools/commoncfg/commoncfg show examples/device.ini

# The example network file is deliberately faulty: the check reports its
# findings and exits with 1, which is the expected outcome here.
echo "== commoncfg check-network examples/network.setup"
status=0
./build/tools/commoncfg/commoncfg check-network examples/network.setup || status=$?
if [ "$status" -ne 1 ]; then
  echo "check-network: expected findings (exit 1), got exit $status" >&2
  exit 1
fi

echo "== inidemo examples/device.ini build/device.out.ini"
./build/examples/inidemo examples/device.ini build/device.out.ini
