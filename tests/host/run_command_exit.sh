#!/bin/sh
# The main job's command ends with the host's exit code: a live tour that
# cannot connect (nothing listens on 127.0.0.1:1) leaves tools/run.sh with
# the tour's 4, not 0 after printing it.
#   run_command_exit.sh BUILD_ROOT   (the folder holding win32/)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'secret\n' >"$work/password"
status=0
env -u DISPLAY QUORIN_BUILD_DIR="$1" QUORIN_RUN_OUT="$work/screens" "$root/tools/run.sh" \
    --site 127.0.0.1:1 --user siteop --password-file "$work/password" --timeout 5 \
    --fingerprint 00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF \
    >"$work/out" 2>&1 || status=$?
if [ "$status" -ne 4 ] || ! grep -q 'the tour failed (exit 4)' "$work/out"; then
    cat "$work/out"
    echo "run.sh exited $status after a tour that could not connect, not 4" >&2
    exit 1
fi
echo "run.sh: a tour that could not connect ended it with the tour's exit code, 4"
