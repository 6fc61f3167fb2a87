#!/bin/sh
# The bench command: installs what is missing, builds what the benchmarks
# need and prints one table.
#   - every reply parser (Google Benchmark, native, optimised, no sanitizers)
#     on replies of 1k, 10k and 100k lines, beside the bare walk over the
#     same lines;
#   - the pages under Wine, from InitDialog to a filled page, on sites of 1k,
#     10k and 50k users (list views: 1k and 10k rows), beside the bare cost of
#     the same strings in the same controls in a plain window;
#   - the host's own pages under Wine: SITE USERS of 1k, 10k and 50k accounts
#     on the Accounts page and SITE GINFO of a 100- and 1,000-member group on
#     the Groups page, read and shown, beside the same rows in a bare virtual
#     list view of the same style.
# Every figure is the fastest of several repetitions: QUORIN_BENCH_REPS
# (default 5 for the parsers, 3 for the pages). Extra arguments go to the
# parser benchmark program, e.g. --benchmark_filter=UserListing.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build="${QUORIN_BUILD_DIR:-$root/build}"
reps="${QUORIN_BENCH_REPS:-}"

"$root/tools/install-deps.sh"
if [ ! -f "$build/native/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
else
    cmake "$build/native" >/dev/null  # pick up new benchmark sources
fi
if [ ! -f "$build/win32/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
else
    cmake "$build/win32" >/dev/null
fi
cmake --build "$build/native" -j "$jobs" --target core_benchmarks
cmake --build "$build/win32" -j "$jobs" --target quorin_glftpd_1_24 page_fill_bench admin_lists_bench
"$root/tools/make-wine-prefix.sh" "$build/win32/wineprefix"

out="$build/bench"
mkdir -p "$out"
echo "== reply parsers (about two minutes)"
if ! "$build/native/bin/core_benchmarks" --benchmark_repetitions="${reps:-5}" \
    --benchmark_out="$out/parsers.json" --benchmark_out_format=json "$@" \
    >"$out/parsers.log" 2>&1; then
    cat "$out/parsers.log"
    exit 1
fi
echo "== pages under Wine (about five minutes)"
status=0
"$build/win32/wine-run.sh" "$build/win32/bin/page_fill_bench.exe" --reps "${reps:-3}" \
    >"$out/pages.txt" || status=$?
echo "== the host's own pages under Wine (about a minute)"
"$build/win32/wine-run.sh" "$build/win32/bin/admin_lists_bench.exe" --reps "${reps:-3}" \
    >"$out/admin.txt" || status=$?
echo
python3 "$root/tools/bench_table.py" "$out/parsers.json" "$out/pages.txt" \
    "$build/win32/bin/quorin_glftpd_1_24.dll" "$out/admin.txt" || status=$?
exit $status
