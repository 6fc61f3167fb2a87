#!/bin/sh
# Makes a private 32-bit Wine prefix that draws through X (the default x11
# graphics driver), for showing the reference host on a display or under
# Xvfb. The tests' prefix uses the null driver and cannot be seen or
# captured. Needs $DISPLAY to make the prefix; quick when it exists.
#   make-wine-prefix-x11.sh [--no-window-manager] [--dpi N] DIR
# --no-window-manager (Xvfb): Wine keeps its windows to itself instead of
# handing them to a window manager. Wine waits up to 2 s for a managed window
# to be withdrawn each time one is hidden or destroyed, and without a window
# manager nothing ever withdraws it: the tour would stall at every dialog it
# closes. Without the option the window manager manages them as usual. The
# setting is changed whenever a start asks for the other one.
# --dpi N: the display scale the prefix's programs see (LogPixels; 96 is
# 100 %, 144 150 %, 192 200 %), 96 unless given; also changed on demand.
set -eu
managed=Y
dpi=96
while [ $# -gt 1 ]; do
    case "$1" in
    --no-window-manager) managed=N ;;
    --dpi)
        dpi=$2
        shift
        ;;
    *) break ;;
    esac
    shift
done
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.quorin-x11" ]; then
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
    # Saves the registry and ends the server at once, without its linger.
    wineserver -k || true
    touch "$prefix/.quorin-x11"
fi
# A prefix made before this setting existed has it at Wine's default, Y.
if [ "$(cat "$prefix/.quorin-x11-managed" 2>/dev/null || echo Y)" != "$managed" ]; then
    if [ "$managed" = N ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
    fi
    echo "$managed" >"$prefix/.quorin-x11-managed"
fi
if [ "$(cat "$prefix/.quorin-x11-dpi" 2>/dev/null || echo 96)" != "$dpi" ]; then
    # Read once by each program at its start, from both keys.
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    echo "$dpi" >"$prefix/.quorin-x11-dpi"
fi
