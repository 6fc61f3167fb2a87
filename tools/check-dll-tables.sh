#!/bin/sh
# Checks what a Windows user gets: a 32-bit (i386) PE file that imports
# nothing but Windows system DLLs and, for the plug-in DLL, exports exactly
# InitDialog and DialogNuke, undecorated.
#   check-dll-tables.sh [--version X.Y] DLL   the plug-in; with --version its
#                                             VERSIONINFO must say X.Y
#   check-dll-tables.sh --program EXE         a program (the reference host):
#                                             the same without the exports
# Prints what it found; exits non-zero with a line per broken rule.
set -eu
kind=dll
version=""
while [ $# -gt 1 ]; do
    case "$1" in
        --program) kind=program; shift ;;
        --version) version="$2"; shift 2 ;;
        *) break ;;
    esac
done
[ $# -eq 1 ] || { echo "usage: check-dll-tables.sh [--program] [--version X.Y] FILE" >&2; exit 2; }
file="$1"
name=$(basename "$file")
status=0
fail() {
    echo "$name: $*"
    status=1
}

dump=$(i686-w64-mingw32-objdump -p "$file" 2>/dev/null) ||
    { echo "$name: not a 32-bit (i386) PE file"; exit 1; }
header=$(i686-w64-mingw32-objdump -f "$file")
if ! printf '%s\n' "$header" | grep -q 'file format pei-i386' ||
    ! printf '%s\n' "$header" | grep -q '^architecture: i386'; then
    fail "not a 32-bit (i386) PE file:" $(printf '%s\n' "$header" | grep -E 'format|architecture')
fi

if [ "$kind" = dll ]; then
    if ! printf '%s\n' "$dump" | sed -n '/^Characteristics/,/^$/p' | grep -Eq '^\s*DLL$'; then
        fail "not a DLL"
    fi
    exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        grep -E '^\s*\[ *[0-9]+\] ' | sed -E 's/.*\] //' | sort | tr '\n' ' ')
    if [ "$exports" != "DialogNuke InitDialog " ]; then
        fail "unexpected exports (want exactly DialogNuke InitDialog): $exports"
    fi
    echo "exports: $exports"
fi

# Windows system DLLs only: never the compiler's runtime (libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll), which a user does not have.
allowed='^(KERNEL32|USER32|GDI32|COMCTL32|COMDLG32|SHELL32|SHLWAPI|OLE32|OLEAUT32|msvcrt|ADVAPI32|WS2_32|SECUR32|CRYPT32|bcrypt|ncrypt|DNSAPI|IPHLPAPI|api-ms-win-crt-[a-z0-9-]+)\.dll$'
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p')
for import in $imports; do
    if ! printf '%s\n' "$import" | grep -Eiq "$allowed"; then
        fail "imports $import, which is not a Windows system DLL"
    fi
done
echo "imports:" $imports

if [ -n "$version" ]; then
    # windres turns the resource section back into resource script text.
    info=$(i686-w64-mingw32-windres -J coff -O rc -i "$file" 2>/dev/null |
        sed -n '/VERSIONINFO/,$p') || true
    major=${version%%.*}
    minor=${version#*.}
    minor=${minor%%.*}
    numbers="$major, $minor, 0, 0"
    if [ -z "$info" ]; then
        fail "no VERSIONINFO resource"
        exit $status
    fi
    for field in FILEVERSION PRODUCTVERSION; do
        found=$(printf '%s\n' "$info" | sed -n "s/^ *$field //p" | head -n 1)
        [ "$found" = "$numbers" ] || fail "VERSIONINFO $field is '$found', want '$numbers'"
    done
    for field in FileVersion ProductVersion; do
        found=$(printf '%s\n' "$info" | sed -n "s/^ *VALUE \"$field\", \"\(.*\)\"\$/\1/p" | head -n 1)
        [ "$found" = "$version" ] || fail "VERSIONINFO $field is '$found', want '$version'"
    done
    echo "VERSIONINFO: $numbers ($version)"
fi
exit $status
