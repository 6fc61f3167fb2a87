#!/bin/sh
# The tests' Wine prefixes for one ctest run (the `wine` fixture):
#   wine-prefixes.sh start PREFIX DESKTOPS
#       makes PREFIX (tools/make-wine-prefix.sh) and DESKTOPS copies of it,
#       PREFIX-desktop1 ... PREFIX-desktopN, and starts the wineserver of
#       each with its services, so that no test waits for a start-up;
#   wine-prefixes.sh stop PREFIX DESKTOPS
#       ends those wineservers and every program still running in them.
# A prefix is a desktop of its own (its own wineserver): a test that shows
# windows and takes the focus gets one to itself, and tests on different
# desktops run side by side. PREFIX serves the tests that need no desktop.
#
# The wineservers are started here, with nothing of ctest's open: a server
# started by a test would hold that test's output open for as long as it
# lives, and ctest would count the test as running until then. They end by
# themselves after QUORIN_WINESERVER_LINGER seconds (default 600) without a
# program, should the stop never come.
set -eu
action=$1
prefix=$2
desktops=$3
here=$(cd "$(dirname "$0")" && pwd)
linger="${QUORIN_WINESERVER_LINGER:-600}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Runs COMMAND... PREFIX for PREFIX and each desktop's copy.
for_each_prefix() {
    "$@" "$prefix"
    n=1
    while [ "$n" -le "$desktops" ]; do
        "$@" "$prefix-desktop$n"
        n=$((n + 1))
    done
}

start_server() {
    WINEPREFIX="$1" wineserver -p"$linger" </dev/null >/dev/null 2>&1
    # The first program of a server starts the prefix's services.
    WINEPREFIX="$1" wine cmd /c exit </dev/null >/dev/null 2>&1 &
}

stop_server() {
    [ ! -d "$1" ] || WINEPREFIX="$1" wineserver -k 2>/dev/null || true
}

# A copy of a made prefix: Wine's own DLLs and programs (nearly all of its
# 600 MB) are never written, so they are linked rather than copied; the
# registry and the user's folders are copies.
copy_prefix() {
    from=$1
    to=$2
    made=$(stat -c %Y "$from/.quorin-headless")
    if [ "$(cat "$to/.quorin-copy-of" 2>/dev/null || true)" = "$made" ]; then
        return 0
    fi
    rm -rf "$to" "$to.new"
    mkdir -p "$to.new/drive_c/windows"
    for entry in "$from"/* "$from"/.[!.]*; do
        [ "$entry" != "$from/drive_c" ] || continue
        [ ! -e "$entry" ] && [ ! -L "$entry" ] || cp -a "$entry" "$to.new/"
    done
    for entry in "$from"/drive_c/*; do
        [ "$entry" != "$from/drive_c/windows" ] || continue
        cp -a "$entry" "$to.new/drive_c/"
    done
    for entry in "$from"/drive_c/windows/*; do
        case "${entry##*/}" in
        system32 | syswow64 | winsxs) cp -al "$entry" "$to.new/drive_c/windows/" ;;
        *) cp -a "$entry" "$to.new/drive_c/windows/" ;;
        esac
    done
    echo "$made" >"$to.new/.quorin-copy-of"
    mv "$to.new" "$to"
}

case "$action" in
start)
    "$here/make-wine-prefix.sh" "$prefix"
    i=1
    while [ "$i" -le "$desktops" ]; do
        copy_prefix "$prefix" "$prefix-desktop$i"
        i=$((i + 1))
    done
    for_each_prefix start_server
    wait
    ;;
stop)
    for_each_prefix stop_server
    ;;
*)
    echo "usage: wine-prefixes.sh start|stop PREFIX DESKTOPS" >&2
    exit 2
    ;;
esac
