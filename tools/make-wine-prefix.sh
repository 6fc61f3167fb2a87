#!/bin/sh
# Makes a private 32-bit Wine prefix whose graphics driver is "null", so that
# real windows and dialogs exist without any X display. Quick when it exists.
set -eu
prefix="$1"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$prefix/.quorin-headless" ]; then
    exit 0
fi
mkdir -p "$prefix"
unset DISPLAY
wineboot -i >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w || true
wineserver -k || true
touch "$prefix/.quorin-headless"
