#!/usr/bin/env bash
# Configures and builds Belltide into build/, build-asan/ with "asan", build-tsan/ with "tsan"
# (ThreadSanitizer), or only the core and its fuzz targets into build-fuzz/ with "fuzz", or the
# program, its installer and the tests for Windows into build-windows/ with "windows".
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = fuzz ]; then
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBELLTIDE_FUZZ=ON -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build-fuzz
elif [ "${1:-}" = windows ]; then
    # wxWidgets for Windows is built once into the user's cache (about 16 minutes on 2 cores).
    wx=$(./scripts/build-wx-windows.sh)
    cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_WARNINGS_AS_ERRORS=ON \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DwxWidgets_CONFIG_EXECUTABLE="$wx/bin/wx-config" -DBELLTIDE_TOOLKIT=ON
    cmake --build build-windows
elif [ "${1:-}" = tsan ]; then
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_TSAN=ON \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build-tsan
elif [ "${1:-}" = asan ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_SANITIZE=ON \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build-asan
else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build
fi
