#!/bin/sh
# Builds and runs the native benchmarks (Google Benchmark, optimised core
# without sanitizers). Extra arguments go to the benchmark program, e.g.
# --benchmark_filter=UserListing or --benchmark_repetitions=5.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build="${QUORIN_BUILD_DIR:-$root/build}/native"

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
else
    cmake "$build" >/dev/null  # pick up new benchmark sources
fi
cmake --build "$build" -j "$jobs" --target core_benchmarks
exec "$build/bin/core_benchmarks" "$@"
