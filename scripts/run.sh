#!/usr/bin/env bash
# Builds Wirelook and starts it. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/src/wirelook "$@"
