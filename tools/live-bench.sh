#!/bin/sh
# Timings of the host's live connection under Wine against the loopback test
# server (tests/live/glftpd_test_server.py): the TLS handshake, a command's
# round trip over TLS and plain, what the NOOP fence adds, and the Edit user
# page filled over the connection for a site of QUORIN_LIVE_BENCH_USERS
# users (default 10000). Installs and builds what it needs first.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build="${QUORIN_BUILD_DIR:-$root/build}"

"$root/tools/install-deps.sh"
if [ ! -f "$build/win32/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
else
    cmake "$build/win32" >/dev/null
fi
cmake --build "$build/win32" -j "$jobs" --target quorin_glftpd_1_24 live_bench
"$root/tools/make-wine-prefix.sh" "$build/win32/wineprefix"

QUORIN_LIVE_SERVER_ARGS="--listing-users ${QUORIN_LIVE_BENCH_USERS:-10000}" \
    exec "$root/tests/live/run_live_tests.sh" "$build/win32/wine-run.sh" "$build/win32/bin/live_bench.exe" "$@"
