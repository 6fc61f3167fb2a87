#!/bin/sh
# Configures and builds both builds: build/native (clang, sanitizers,
# fuzzers, benchmarks) and build/win32 (mingw-w64: the DLL, the host, the
# tests that run under Wine).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build="${QUORIN_BUILD_DIR:-$root/build}"

if [ ! -f "$build/native/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
if [ ! -f "$build/win32/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
fi
cmake --build "$build/native" -j "$jobs"
cmake --build "$build/win32" -j "$jobs"
