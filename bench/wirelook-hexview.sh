#!/bin/sh
# Runs Wirelook with the hex view shown, for the pseudo-terminal harness:
#   WIRELOOK=$PWD/bench/wirelook-hexview.sh ../shared/bench/run_all.sh
here=$(cd "$(dirname "$0")" && pwd)
exec "${WIRELOOK_PROGRAM:-$here/../build/src/wirelook}" --hex-view "$@"
