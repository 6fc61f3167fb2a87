#!/bin/sh
# The test command: installs what is missing, builds both builds and runs
# every test of both through ctest.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
status=0
ctest --test-dir "$root/build/native" --output-on-failure -j 2 || status=1
ctest --test-dir "$root/build/win32" --output-on-failure -j 2 || status=1
exit $status
