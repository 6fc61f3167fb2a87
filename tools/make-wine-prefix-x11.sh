#!/bin/sh
# Makes a private 32-bit Wine prefix that draws through X (the default x11
# graphics driver), for showing the reference host on a display or under
# Xvfb. The tests' prefix uses the null driver and cannot be seen or
# captured. Needs $DISPLAY. Quick when the prefix exists.
set -eu
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$prefix/.quorin-x11" ]; then
    exit 0
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "make-wine-prefix-x11.sh: needs a display (run it under xvfb-run)" >&2
    exit 1
fi
wineboot -i >/dev/null 2>&1 || true
# No "Graphics" driver entry: Wine picks x11. Wine draws the window frames
# itself, so that captions show without a window manager (Xvfb has none)
# and in screenshots of a window.
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
# Wine's own fonts ("MS Sans Serif", Marlett for the caption buttons), which
# this Wine does not look for outside the prefix: without them the dialogs
# get a wider stand-in font.
if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wineserver -w || true
touch "$prefix/.quorin-x11"
