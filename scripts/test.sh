#!/usr/bin/env bash
# Builds Wirelook and runs every test headless.
# Usage: scripts/test.sh [--sanitize]
#   --sanitize  builds in ./build-sanitize with AddressSanitizer and
#               UndefinedBehaviorSanitizer (leaks included); the first
#               finding fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
"")
    build=build
    scripts/setup.sh
    ;;
--sanitize)
    build=build-sanitize
    scripts/setup.sh "$build" -DWIRELOOK_SANITIZE=ON
    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    ;;
*)
    echo "Usage: $0 [--sanitize]" >&2
    exit 2
    ;;
esac
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 120
