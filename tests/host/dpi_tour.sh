#!/bin/sh
# The reference host's tour under Xvfb at one display scale:
#   dpi_tour.sh HOST_EXE PREFIX DPI OUT_DIR
# PREFIX is an x11 Wine prefix (made when missing) set to DPI before the host
# starts. The tour checks the host's own layout at every picture and exits
# non-zero on any fault; its seventeen pictures (the plug-in's seven pages, its
# two dialogs, the host's six pages, Online now twice, the Top lists chart
# saved as PNG) stay in OUT_DIR to be looked at.
set -eu
host=$1
prefix=$2
dpi=$3
out=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
    echo "dpi tour at $dpi DPI: $*" >&2
    exit 1
}
rm -rf "$out"
mkdir -p "$out"
status=0
# A screen that holds the window at 200 %.
xvfb-run -a -s "-screen 0 3200x2000x24" sh -c '
    "$1/tools/make-wine-prefix-x11.sh" --no-window-manager --dpi "$4" "$3" || exit 1
    export WINEPREFIX="$3" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    status=0
    wine "$2" --tour "Z:$5" >"$5/tour.log" 2>&1 || status=$?
    wineserver -k
    exit $status' dpi-tour "$root" "$host" "$prefix" "$dpi" "$out" || status=$?
cat "$out/tour.log"
[ "$status" -eq 0 ] || fail "the tour ended with $status: $(grep '^!!' "$out/transcript.txt" 2>/dev/null)"
grep -q "^layout checked at $dpi DPI: 0 fault" "$out/tour.log" || fail "the host did not lay out at $dpi DPI"
[ "$(find "$out" -name '*.png' | wc -l)" -eq 17 ] || fail "not seventeen pictures: $(ls "$out")"
