#!/bin/sh
# Two releases of one source tree, each copied into a fresh folder of its
# own and built from scratch a while apart, under another time zone and
# umask, must be the same bytes: the DLL, the host and the zip.
#   reproducible.sh SOURCE_DIR
set -eu
src=$(cd "$1" && pwd)
epoch=$(git -C "$src" log -1 --format=%ct 2>/dev/null) || epoch=1700000000
first=$(mktemp -d)
second=$(mktemp -d)
trap 'rm -rf "$first" "$second"' EXIT

# The tree as it is, uncommitted edits included, without any build output.
copy_tree() {
    mkdir -p "$1"
    if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
        git -C "$src" ls-files -z -co --exclude-standard |
            tar -C "$src" --null --ignore-failed-read -T - -cf - | tar -C "$1" -xf -
    else
        tar -C "$src" --exclude=./build --exclude=./dist --exclude=./out -cf - . | tar -C "$1" -xf -
    fi
}

release() {  # tree, time zone, umask
    copy_tree "$1"
    if ! (umask "$3" && SOURCE_DATE_EPOCH=$epoch TZ=$2 "$1/tools/release.sh") >"$1.log" 2>&1; then
        cat "$1.log"
        echo "tools/release.sh failed in $1"
        exit 1
    fi
}
release "$first/src" UTC 022
release "$second/another/tree" Pacific/Auckland 027

status=0
for file in build/release/bin/quorin_glftpd_1_24.dll build/release/bin/quorin_host.exe \
    dist/quorin_glftpd_1_24-*-win32.zip dist/quorin_glftpd_1_24-*-win32.zip.sha256; do
    a=$(echo "$first"/src/$file)
    b=$(echo "$second"/another/tree/$file)
    if [ ! -f "$a" ] || [ ! -f "$b" ]; then
        echo "missing: $file"
        status=1
    elif cmp -s "$a" "$b"; then
        echo "same: $file ($(wc -c <"$a") bytes)"
    else
        echo "DIFFERENT: $file, $(cmp -l "$a" "$b" | wc -l) bytes; the first (offset, octal bytes):"
        cmp -l "$a" "$b" | head -n 8
        status=1
    fi
done
exit $status
