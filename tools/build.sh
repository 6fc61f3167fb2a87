#!/bin/sh
# Configures and builds both builds: build/native (clang, sanitizers,
# fuzzers, benchmarks) and build/win32 (mingw-w64: the DLL, the host, the
# tests that run under Wine).
#   build.sh [--main]
# --main: only the DLL and the host in build/win32 (the main job), in the
# same tree that a later full build goes on from: configured without the
# tests under Wine (no GoogleTest needed), which the full build switches on
# without throwing away what is built.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build="${QUORIN_BUILD_DIR:-$root/build}"

configure_win32() {
    cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" -DQUORIN_WIN32_TESTS="$1" >/dev/null
}

if [ "${1:-}" = --main ]; then
    [ -f "$build/win32/CMakeCache.txt" ] || configure_win32 OFF
    cmake --build "$build/win32" -j "$jobs" --target quorin_glftpd_1_24 quorin_host
    exit 0
fi

# Side by side, each configured and built in turn: each build's configuring,
# links and last, longest compiles leave cores idle that the other takes.
(
    if [ ! -f "$build/native/CMakeCache.txt" ]; then
        CC=clang CXX=clang++ cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    fi
    cmake --build "$build/native" -j "$jobs"
) &
native=$!
status=0
{
    if [ ! -f "$build/win32/CMakeCache.txt" ] ||
        grep -q '^QUORIN_WIN32_TESTS:BOOL=OFF$' "$build/win32/CMakeCache.txt"; then
        configure_win32 ON
    fi && cmake --build "$build/win32" -j "$jobs"
} || status=$?
wait "$native" || status=$?
exit "$status"
