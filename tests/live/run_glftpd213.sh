#!/bin/sh
# Runs a Windows program of the build under Wine against a real glftpd 2.13
# on loopback, started for this run on a small site of its own, and stops the
# server afterwards whatever the program did.
#
#   run_glftpd213.sh WINE_RUN PROGRAM [ARGS...]
#
# The server is ../shared/glftpd-2.13 beside the clone (QUORIN_GLFTPD_DIR
# elsewhere). Where it is not there, or this is not root (glftpd chroots),
# the run is skipped with a line saying why and exit code 77. Port, ipc key
# and where the server's WORK folder goes: QUORIN_GLFTPD_PORT,
# QUORIN_GLFTPD_IPC_KEY, QUORIN_GLFTPD_WORK_PREFIX (under /tmp). The server
# is stopped when this script ends, however it ends: a watcher outside the
# script's process group stops it after a kill that no trap sees. The
# program finds the server through QUORIN_GLFTPD_STATE: WORK in Wine's Z:
# form, holding server.json (port, fingerprint, the siteop's login), and has
# QUORIN_GLFTPD_SECONDS (default 240) before it is stopped, so that the
# server is stopped before ctest gives up on the run.
# QUORIN_LIVE_KEEP=1 keeps WORK for a look afterwards. QUORIN_GLFTPD_COMPANION:
# see below.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
wine_run="$1"
shift
glftpd_dir="${QUORIN_GLFTPD_DIR:-$root/../shared/glftpd-2.13}"
port="${QUORIN_GLFTPD_PORT:-2252}"
ipc_key="${QUORIN_GLFTPD_IPC_KEY:-0x00007B20}"
prefix="${QUORIN_GLFTPD_WORK_PREFIX:-/tmp/quorin-glftpd}"
python="${QUORIN_SERVER_PYTHON:-/usr/bin/python3}"
skipped=77

if [ ! -x "$glftpd_dir/glftpd.sh" ]; then
    echo "SKIPPED: no real glftpd 2.13 at $glftpd_dir (it sits beside the clone in the workplace only)"
    exit $skipped
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: the real glftpd 2.13 needs root (it chroots into its site)"
    exit $skipped
fi
for tool in socat openssl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: the real glftpd 2.13 needs $tool (tools/install-deps.sh installs it)"
        exit $skipped
    fi
done

work=$(mktemp -d "$prefix.XXXXXX")
# shellcheck disable=SC2016 # expanded by the watcher's shell
setsid sh -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done
    "$2" stop "$3"; [ -n "$4" ] || rm -rf "$3"' watcher $$ "$glftpd_dir/glftpd.sh" "$work" \
    "${QUORIN_LIVE_KEEP:-}" </dev/null >/dev/null 2>&1 &
companion=
cleanup() {
    [ -z "$companion" ] || kill "$companion" 2>/dev/null || true
    "$glftpd_dir/glftpd.sh" stop "$work" || true
    if [ -n "${QUORIN_LIVE_KEEP:-}" ]; then
        echo "glftpd's WORK kept in $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$glftpd_dir/glftpd.sh" start "$work" "$port" "$ipc_key" >/dev/null
"$python" "$here/glftpd213_site.py" --port "$port" --work "$work"
# QUORIN_GLFTPD_COMPANION: a script that keeps sessions of its own on the
# site while the program runs (started with --port and --work, stopped at the end).
if [ -n "${QUORIN_GLFTPD_COMPANION:-}" ]; then
    "$python" "$QUORIN_GLFTPD_COMPANION" --port "$port" --work "$work" &
    companion=$!
fi

QUORIN_GLFTPD_STATE="Z:$(printf '%s' "$work" | tr '/' '\\')"
export QUORIN_GLFTPD_STATE

status=0
timeout -k 10 "${QUORIN_GLFTPD_SECONDS:-240}" "$wine_run" "$@" || status=$?
if [ "$status" -eq 124 ]; then
    echo "the test program did not end within ${QUORIN_GLFTPD_SECONDS:-240} s" >&2
fi
if [ "$status" -ne 0 ]; then
    echo "--- the server's sysop.log:" >&2
    tail -n 40 "$work/root/ftp-data/logs/sysop.log" >&2 2>/dev/null || true
fi
exit "$status"
