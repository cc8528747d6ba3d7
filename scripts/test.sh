#!/usr/bin/env bash
# Installs the dependencies, builds Corvane with its tests and runs them all headless.
# With --sanitize it builds and runs them with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-sanitize/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ "${1:-}" = "--sanitize" ]; then
    export BUILD_DIR=build-sanitize BUILD_TYPE=Debug
    scripts/build.sh -DCORVANE_SANITIZE=ON
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
    export BUILD_DIR=build
    scripts/build.sh
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)"
