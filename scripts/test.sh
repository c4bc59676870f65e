#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs the whole test suite.
# With "asan" the build and the tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
./scripts/build.sh "${1:-}"

build=build
if [ "${1:-}" = asan ]; then
    build=build-asan
    # GTK and its libraries keep memory to the end on purpose; leaks are not what this run seeks.
    export ASAN_OPTIONS=detect_leaks=0
fi
ctest --test-dir "$build" --output-on-failure
