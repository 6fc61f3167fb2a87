#!/bin/sh
# The shipped DLL exports exactly InitDialog and DialogNuke, undecorated, and
# imports nothing but Windows system DLLs.
set -eu
dll="$1"
dump=$(i686-w64-mingw32-objdump -p "$dll")
status=0

exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    grep -E '^\s*\[ *[0-9]+\] ' | sed -E 's/.*\] //' | sort | tr '\n' ' ')
if [ "$exports" != "DialogNuke InitDialog " ]; then
    echo "unexpected exports: $exports"
    status=1
fi

allowed='^(KERNEL32|USER32|GDI32|COMCTL32|msvcrt|ADVAPI32|api-ms-win-crt-[a-z0-9-]+)\.dll$'
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p')
for name in $imports; do
    if ! printf '%s\n' "$name" | grep -Eiq "$allowed"; then
        echo "unexpected import: $name"
        status=1
    fi
done
echo "exports: $exports"
echo "imports:" $imports
exit $status
