#!/bin/sh
# Runs every fuzz target of the native build for a longer stretch, one after
# the other: tools/fuzz-long.sh [seconds per target, default 600].
# Prints each target's executions; exits non-zero when any target found a
# crash, a leak or a broken invariant (the input is kept under
# build/native/fuzz-artifacts/<name>/). QUORIN_FUZZ_TARGETS="a_fuzz b_fuzz"
# limits the run to those targets (to split a long run over several cores).
set -eu
seconds="${1:-600}"
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build="${QUORIN_BUILD_DIR:-$root/build}/native"

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
else
    cmake "$build" >/dev/null  # pick up new fuzz targets
fi

targets="${QUORIN_FUZZ_TARGETS:-}"
if [ -z "$targets" ]; then
    for source in "$root"/tests/fuzz/*_fuzz.cpp; do
        targets="$targets $(basename "$source" .cpp)"
    done
fi
[ -n "$targets" ] || { echo "no fuzz targets"; exit 1; }
# shellcheck disable=SC2086
cmake --build "$build" -j "$jobs" --target $targets

failed=""
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for target in $targets; do
    name=${target%_fuzz}
    work="$build/fuzz-work/$name"
    artifacts="$build/fuzz-artifacts/$name"
    mkdir -p "$work" "$artifacts"
    echo "== $target: ${seconds}s"
    if ASAN_OPTIONS=detect_leaks=1 "$build/bin/$target" -max_total_time="$seconds" \
        -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$work" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1; then
        status=ok
    else
        status=FAILED
        failed="$failed $target"
        grep -E "ERROR|SUMMARY|Test unit written|deadly signal" "$log" || tail -n 30 "$log"
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "$target: $status, ${executions:-?} executions"
done

if [ -n "$failed" ]; then
    echo "findings in:$failed"
    exit 1
fi
echo "no findings"
