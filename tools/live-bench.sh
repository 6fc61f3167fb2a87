#!/bin/sh
# Timings of the host's live connection under Wine against the loopback test
# server (tests/live/glftpd_test_server.py): the TLS handshake, a command's
# round trip over TLS and plain, what the NOOP fence adds, and the Edit user
# page filled over the connection for a site of QUORIN_LIVE_BENCH_USERS
# users (default 10000). Installs and builds what it needs first.
#
#   live-bench.sh --glftpd [ACCOUNTS]
#
# instead starts the real glftpd 2.13 (../shared/glftpd-2.13 beside the
# clone, root only) on a site of ACCOUNTS accounts (default 50000) and
# lists them all on the host's Accounts page over TLS, taking turns with a
# bare Python TLS client sending the same SITE USERS
# (QUORIN_LIVE_BENCH_ROUNDS turns, default 6): each time from the command's
# first byte until the page is painted, or until the bare client has the
# reply's last byte, and the ratio of the medians. The server listens on
# 127.0.0.1 port QUORIN_GLFTPD_PORT (default 2253) with ipc key
# QUORIN_GLFTPD_IPC_KEY (default 0x00007B30), its files under
# QUORIN_GLFTPD_WORK_PREFIX (default /tmp/quorin-live-bench), the server
# itself from QUORIN_GLFTPD_DIR. QUORIN_LIVE_BENCH_NO_INSTALL=1 skips the
# package check.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
build="${QUORIN_BUILD_DIR:-$root/build}"

if [ "${QUORIN_LIVE_BENCH_NO_INSTALL:-}" = "" ]; then
    "$root/tools/install-deps.sh"
fi
if [ ! -f "$build/win32/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
else
    cmake "$build/win32" >/dev/null
fi
cmake --build "$build/win32" -j "$jobs" --target quorin_glftpd_1_24 live_bench
"$root/tools/make-wine-prefix.sh" "$build/win32/wineprefix"

if [ "${1:-}" != --glftpd ]; then
    QUORIN_LIVE_SERVER_ARGS="--listing-users ${QUORIN_LIVE_BENCH_USERS:-10000}" \
        exec "$root/tests/live/run_live_tests.sh" "$build/win32/wine-run.sh" "$build/win32/bin/live_bench.exe" "$@"
fi

accounts="${2:-50000}"
glftpd="${QUORIN_GLFTPD_DIR:-$root/../shared/glftpd-2.13}/glftpd.sh"
port="${QUORIN_GLFTPD_PORT:-2253}"
python=/usr/bin/python3
if [ ! -x "$glftpd" ] || [ "$(id -u)" -ne 0 ]; then
    echo "live-bench.sh --glftpd needs the real glftpd 2.13 at $glftpd and root" >&2
    exit 1
fi
work=$(mktemp -d "${QUORIN_GLFTPD_WORK_PREFIX:-/tmp/quorin-live-bench}.XXXXXX")
trap '"$glftpd" stop "$work" || true; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
"$glftpd" start "$work" "$port" "${QUORIN_GLFTPD_IPC_KEY:-0x00007B30}" >/dev/null
"$python" "$root/tests/live/glftpd_big_site.py" build --port "$port" --work "$work" --accounts "$accounts"
QUORIN_GLFTPD_STATE="Z:$(printf '%s' "$work" | tr '/' '\\')"
export QUORIN_GLFTPD_STATE

# Each turn: the bare client's listing, then the host's (a fresh process,
# its first listing left out as warm-up, as the bare client's first).
times="$work/times"
: >"$times"
rounds="${QUORIN_LIVE_BENCH_ROUNDS:-6}"
round=0
while [ "$round" -lt "$rounds" ]; do
    "$python" "$root/tests/live/glftpd_big_site.py" bare --port "$port" --reps 2 | tail -n 1 >>"$times"
    "$build/win32/wine-run.sh" "$build/win32/bin/live_bench.exe" --accounts-listing 2 | tail -n 1 >>"$times"
    round=$((round + 1))
done
awk -v accounts="$accounts" '
    function keep(kind, value) { t[kind, ++n[kind]] = value }
    $1 == "bare" { keep("bare", $3) }
    $1 == "listing" { keep("listing", $3); keep("exchange", $5); keep("record", $7); keep("pane", $9); keep("page", $11) }
    function median(kind,   i, j, v, a, k) {
        k = n[kind]
        for (i = 1; i <= k; i++) a[i] = t[kind, i]
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { v = a[i]; a[i] = a[j]; a[j] = v }
        return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    }
    END {
        printf "SITE USERS of %d accounts on the real glftpd 2.13, ms (medians of %d turns)\n", accounts, n["bare"]
        printf "%-56s %9.1f\n", "bare Python TLS client, command to last byte", median("bare")
        printf "%-56s %9.1f\n", "Accounts page (host), command to painted page", median("listing")
        printf "%-56s %9.1f\n", "  of it: the exchange on the connection", median("exchange")
        printf "%-56s %9.1f\n", "  of it: the session record of the reply", median("record")
        printf "%-56s %9.1f\n", "  of it: the transcript pane", median("pane")
        printf "%-56s %9.1f\n", "  of it: the page reading and painting the rows", median("page")
        printf "%-56s %9.2f\n", "ratio of the medians, host / bare", median("listing") / median("bare")
        printf "turns (bare/host):"
        for (i = 1; i <= n["bare"]; i++) printf " %s/%s", t["bare", i], t["listing", i]
        printf "\n"
    }' "$times"
