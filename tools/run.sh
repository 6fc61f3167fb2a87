#!/bin/sh
# The main job: installs what is missing, builds the DLL and the host (only
# them: ./tools/test.sh builds the rest in the same tree) and starts the
# reference host with the plug-in against its simulated glftpd site.
#   With a display ($DISPLAY): opens the host window.
#   Without one: runs the host's tour under Xvfb, which leaves a screenshot
#   of each page and of both dialogs, and the transcript, in out/screens/.
# Arguments go to the host: --glftpd2 (the site answers as glftpd 2.x),
# --colours (every reply line in ANSI colour, as for an operator with flag 5),
# or a live site: --site HOST[:PORT] --user NAME --password-file FILE
# --fingerprint SHA256 [--plain] [--timeout S] [--reply-limit S]
# [--keepalive S] [--transcript F], or a saved site: --load NAME
# (without a display: the live tour, which only reads the site).
# --save NAME with the site's options saves it (in the Wine prefix's AppData)
# and exits, display or not.
# Exits with the host's exit code (README, "Exit codes"); 1 also when the
# tour left fewer pictures than it should. QUORIN_RUN_OUT: another folder for
# the tour's files.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" main

build="${QUORIN_BUILD_DIR:-$root/build}/win32"
host="$build/bin/quorin_host.exe"
prefix="$build/wineprefix-x11"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# A fresh clone's Wine prefix is made while the build runs: each takes a
# while, and neither needs the other.
making=""
if [ ! -f "$prefix/.quorin-x11" ]; then
    mkdir -p "$build"
    if [ -n "${DISPLAY:-}" ]; then
        "$root/tools/make-wine-prefix-x11.sh" "$prefix" >"$build/wineprefix-x11.log" 2>&1 &
    else
        xvfb-run -a -s "-screen 0 1600x1000x24" "$root/tools/make-wine-prefix-x11.sh" --no-window-manager \
            "$prefix" >"$build/wineprefix-x11.log" 2>&1 &
    fi
    making=$!
fi
"$root/tools/build.sh" --main
if [ -n "$making" ] && ! wait "$making"; then
    cat "$build/wineprefix-x11.log" >&2
    echo "run.sh: the Wine prefix $prefix could not be made" >&2
    exit 1
fi

saving=""
for word in "$@"; do
    [ "$word" = "--save" ] && saving=yes
done
if [ -n "${DISPLAY:-}" ] || [ -n "$saving" ]; then
    # Saving needs no window; the prefix is the tour's, so that --load finds it.
    if [ -n "$saving" ] && [ -z "${DISPLAY:-}" ]; then
        unset DISPLAY
    fi
    "$root/tools/make-wine-prefix-x11.sh" ${saving:+--no-window-manager} "$prefix"
    exec wine "$host" "$@"
fi

screens="${QUORIN_RUN_OUT:-$root/out/screens}"
rm -rf "$screens"
mkdir -p "$screens"
status=0
# One X server for the prefix's first start and the tour; the screen is
# large enough for the host window and the dialog centred on it.
xvfb-run -a -s "-screen 0 1600x1000x24" sh -c '
    "$1/tools/make-wine-prefix-x11.sh" --no-window-manager "$2" || exit 1
    root=$1 prefix=$2 host=$3 screens=$4
    shift 4
    wine "$host" --tour "Z:$screens" "$@"
    status=$?
    # The tour is over when the host exits: the server would linger for
    # seconds waiting for another program. -k saves the registry first.
    wineserver -k
    exit $status' run-tour "$root" "$prefix" "$host" "$screens" "$@" || status=$?

# The simulated tour pictures the plug-in's seven pages, its two dialogs and
# the host's six pages (Online now twice, and the Top lists chart saved as
# PNG); the live tour only reads, and leaves out the host pages that write
# (One change for many, Own commands).
expected=17
for option in "$@"; do
    case "$option" in --site | --site=* | --load | --load=*) expected=13 ;; esac
done
pictures=$(find "$screens" -name '*.png' | wc -l)
echo
echo "Screenshots ($pictures) and the transcript of the tour are in $screens:"
ls -1 "$screens"
if [ "$status" -ne 0 ]; then
    echo "run.sh: the tour failed (exit $status); the cause is above and at the end of transcript.txt" >&2
    exit "$status"
fi
if [ "$pictures" -ne "$expected" ] || [ ! -f "$screens/transcript.txt" ]; then
    echo "run.sh: the tour did not leave $expected screenshots and the transcript" >&2
    exit 1
fi
