#!/bin/sh
# Runs Wirelook with time stamps on the display, for the pseudo-terminal harness:
#   WIRELOOK=$PWD/bench/wirelook-timestamps.sh ../shared/bench/run_all.sh
here=$(cd "$(dirname "$0")" && pwd)
exec "${WIRELOOK_PROGRAM:-$here/../build/src/wirelook}" --time-stamps "$@"
