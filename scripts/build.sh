#!/usr/bin/env bash
# Configures and builds Belltide: the tests' Debug build into build/; with "release" the optimised,
# stripped program that users run and install into build-release/; build-asan/ with "asan",
# build-tsan/ with "tsan" (ThreadSanitizer), or only the core and its fuzz targets into
# build-fuzz/ with "fuzz". With "windows", Release builds for Windows: the 64-bit program, its
# installer and the tests into build-windows/, the 32-bit program and installer (the one most
# users get) into build-windows-32/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = fuzz ]; then
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBELLTIDE_FUZZ=ON -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build-fuzz
elif [ "${1:-}" = windows ]; then
    # wxWidgets, libsndfile and libsoxr for Windows are built once per processor into the user's
    # cache (about 16 and 3 minutes each on 2 cores).
    wx64=$(./scripts/build-wx-windows.sh x86_64)
    audio64=$(./scripts/build-audio-windows.sh x86_64)
    cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DwxWidgets_CONFIG_EXECUTABLE="$wx64/bin/wx-config" -DBELLTIDE_AUDIO_PREFIX="$audio64" \
        -DBELLTIDE_TOOLKIT=ON
    cmake --build build-windows
    # Its programs cannot run here, so it takes the welcome sound and artwork the 64-bit one made.
    wx32=$(./scripts/build-wx-windows.sh i686)
    audio32=$(./scripts/build-audio-windows.sh i686)
    cmake -S . -B build-windows-32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-i686.cmake" \
        -DwxWidgets_CONFIG_EXECUTABLE="$wx32/bin/wx-config" -DBELLTIDE_AUDIO_PREFIX="$audio32" \
        -DBELLTIDE_TOOLKIT=ON \
        -DBELLTIDE_MEDIA_FROM="$PWD/build-windows"
    cmake --build build-windows-32
elif [ "${1:-}" = tsan ]; then
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_TSAN=ON \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build-tsan
elif [ "${1:-}" = asan ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_SANITIZE=ON \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build-asan
elif [ "${1:-}" = release ]; then
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBELLTIDE_WARNINGS_AS_ERRORS=ON -DBELLTIDE_TESTS=OFF
    cmake --build build-release
else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELLTIDE_WARNINGS_AS_ERRORS=ON
    cmake --build build
fi
