#!/bin/sh
# The main job: installs what is missing and builds the plug-in.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
dll="$root/build/win32/bin/quorin_glftpd_1_24.dll"
echo "$dll ($(stat -c %s "$dll") bytes)"
