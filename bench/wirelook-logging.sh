#!/bin/sh
# Runs Wirelook with the session log on, for the pseudo-terminal harness:
#   WIRELOOK=$PWD/bench/wirelook-logging.sh ../shared/bench/run_all.sh
# The log goes to $WIRELOOK_LOG, by default session.log in the (per-run) home.
here=$(cd "$(dirname "$0")" && pwd)
exec "${WIRELOOK_PROGRAM:-$here/../build/src/wirelook}" --log "${WIRELOOK_LOG:-$HOME/session.log}" "$@"
