#!/bin/sh
# Runs a Windows program of the build under Wine against a fresh
# glftpd_test_server.py on loopback, and exits with the program's status.
#
#   run_live_tests.sh WINE_RUN PROGRAM [ARGS...]
#
# The program finds the server through QUORIN_LIVE_STATE: the server's state
# folder (server.json, received.log) in Wine's Z: form. Options for the
# server go in QUORIN_LIVE_SERVER_ARGS ("--listing-users 10000");
# QUORIN_LIVE_KEEP=1 keeps the state folder for a look afterwards.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$1"
shift
# Debian's interpreter: pyftpdlib and python3-openssl are its packages.
python="${QUORIN_SERVER_PYTHON:-/usr/bin/python3}"

state=$(mktemp -d "${TMPDIR:-/tmp}/quorin-live.XXXXXX")
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    if [ -n "${QUORIN_LIVE_KEEP:-}" ]; then
        echo "server state kept in $state" >&2
    else
        rm -rf "$state"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# shellcheck disable=SC2086 # the options are words on purpose
"$python" "$here/glftpd_test_server.py" --state-dir "$state" ${QUORIN_LIVE_SERVER_ARGS:-} &
server_pid=$!

tries=0
while [ ! -f "$state/server.json" ]; do
    if ! kill -0 "$server_pid" 2>/dev/null; then
        echo "the test server stopped before it listened" >&2
        cat "$state/server.log" >&2 2>/dev/null || true
        exit 1
    fi
    tries=$((tries + 1))
    if [ "$tries" -gt 200 ]; then
        echo "the test server did not listen within 20 s" >&2
        exit 1
    fi
    sleep 0.1
done

QUORIN_LIVE_STATE="Z:$(printf '%s' "$state" | tr '/' '\\')"
export QUORIN_LIVE_STATE

status=0
"$wine_run" "$@" || status=$?
if [ "$status" -ne 0 ]; then
    echo "--- the last commands the server received:" >&2
    tail -n 30 "$state/received.log" >&2 2>/dev/null || true
fi
exit "$status"
