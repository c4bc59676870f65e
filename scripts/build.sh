#!/usr/bin/env bash
# Configures and builds Belltide into build/ (or build-asan/ with "asan").
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = asan ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_SANITIZE=ON \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build-asan
else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build
fi
