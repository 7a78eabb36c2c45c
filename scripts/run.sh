#!/usr/bin/env bash
# Builds Wirelook and starts it.
#   scripts/run.sh                 on a simulated device that sends a reading every
#                                  second and echoes what you type
#   scripts/run.sh /dev/ttyUSB0    on a real port (any argument goes to wirelook)
set -euo pipefail
cd "$(dirname "$0")/.."
# Only the program and the simulator: scripts/test.sh builds the rest.
TARGETS="wirelook wirelook-devsim" scripts/setup.sh

if [ $# -gt 0 ]; then
    exec build/src/wirelook "$@"
fi

demo=$(mktemp -d)
device="$demo/ttyDemo"
build/devsim/wirelook-devsim readings --echo --interval-ms 1000 --bad-every 5 \
    --text "+0012.34 kg" --bad-text "+0099.99 kg" --link "$device" >/dev/null &
devsim=$!
trap 'kill "$devsim" 2>/dev/null; wait "$devsim" 2>/dev/null; rm -rf "$demo"' EXIT
for _ in $(seq 50); do [ -e "$device" ] && break; sleep 0.1; done
echo "Simulated device: $device"
build/src/wirelook "$device"
