#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs the whole test suite: a short run of
# every fuzz target, then the unit, sound and GUI tests.
# With "asan" the suite is built with AddressSanitizer and UndefinedBehaviorSanitizer; with
# "tsan" with ThreadSanitizer.
# With "windows" the Windows build's suite is cross-built and run under Wine instead.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = windows ]; then
    ./scripts/install-deps.sh windows
    ./scripts/build.sh windows
    ctest --test-dir build-windows --output-on-failure
    exec ctest --test-dir build-windows-32 --output-on-failure
fi

./scripts/install-deps.sh
./scripts/build.sh fuzz
./scripts/build.sh "${1:-}"

ctest --test-dir build-fuzz --output-on-failure --parallel 2

build=build
if [ "${1:-}" = asan ]; then
    build=build-asan
    # GTK and its libraries keep memory to the end on purpose; leaks are not what this run seeks.
    export ASAN_OPTIONS=detect_leaks=0
elif [ "${1:-}" = tsan ]; then
    build=build-tsan
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
fi
ctest --test-dir "$build" --output-on-failure
