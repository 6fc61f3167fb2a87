#!/bin/sh
# Two releases of one source tree must be the same bytes: the DLL, the host
# and the zip.
#   reproducible.sh SOURCE_DIR [BUILD_DIR]
# The first is built from scratch in a fresh folder of its own, from a copy
# of the tree, under another time zone and umask, with no compiler cache.
# The second is BUILD_DIR's DLL and host (the tests' build, itself built from
# the tree before the tests ran, in another folder and at another time),
# bundled by tools/release.sh. Without a BUILD_DIR configured as the release
# is (Release, the mingw-w64 toolchain), the second is built from scratch too.
set -eu
src=$(cd "$1" && pwd)
built=""
if [ -n "${2:-}" ] && grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$2/CMakeCache.txt" 2>/dev/null &&
    grep -q '^CMAKE_TOOLCHAIN_FILE:[A-Z]*=.*/cmake/toolchain-mingw-i686\.cmake$' "$2/CMakeCache.txt" &&
    [ -f "$2/bin/quorin_glftpd_1_24.dll" ] && [ -f "$2/bin/quorin_host.exe" ]; then
    built=$(cd "$2" && pwd)
fi
epoch=$(git -C "$src" log -1 --format=%ct 2>/dev/null) || epoch=1700000000
first=$(mktemp -d)
second=$(mktemp -d)
trap 'rm -rf "$first" "$second"' EXIT
# A build afresh is one: a compiler cache would hand back the objects of an
# earlier build instead of making them again.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
export CCACHE_DISABLE=1

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

run_release() {  # log, time zone, umask, release.sh, environment...
    log=$1
    zone=$2
    mask=$3
    script=$4
    shift 4
    if ! (umask "$mask" && env SOURCE_DATE_EPOCH="$epoch" TZ="$zone" "$@" "$script") >"$log" 2>&1; then
        cat "$log"
        echo "tools/release.sh failed ($log)"
        exit 1
    fi
}

# Built afresh: build/release and dist/ inside the copy.
copy_tree "$first/src"
run_release "$first/src.log" Pacific/Auckland 027 "$first/src/tools/release.sh"
a_dir="$first/src"
if [ -n "$built" ]; then
    run_release "$second/bundle.log" UTC 022 "$src/tools/release.sh" QUORIN_RELEASE_BINARIES="$built" \
        QUORIN_BUILD_DIR="$second/build" QUORIN_RELEASE_DIST="$second/dist"
    echo "compared: a release built afresh and the one of $built"
    b_bin="$built/bin"
    b_dist="$second/dist"
else
    copy_tree "$second/another/tree"
    run_release "$second/another/tree.log" UTC 022 "$second/another/tree/tools/release.sh"
    echo "compared: two releases built afresh"
    b_bin="$second/another/tree/build/release/bin"
    b_dist="$second/another/tree/dist"
fi

status=0
compare() {  # name, first file, second file
    if [ ! -f "$2" ] || [ ! -f "$3" ]; then
        echo "missing: $1"
        status=1
    elif cmp -s "$2" "$3"; then
        echo "same: $1 ($(wc -c <"$2") bytes)"
    else
        echo "DIFFERENT: $1, $(cmp -l "$2" "$3" | wc -l) bytes; the first (offset, octal bytes):"
        cmp -l "$2" "$3" | head -n 8
        status=1
    fi
}
compare quorin_glftpd_1_24.dll "$a_dir/build/release/bin/quorin_glftpd_1_24.dll" "$b_bin/quorin_glftpd_1_24.dll"
compare quorin_host.exe "$a_dir/build/release/bin/quorin_host.exe" "$b_bin/quorin_host.exe"
for zip in "$a_dir"/dist/quorin_glftpd_1_24-*-win32.zip; do
    name=$(basename "$zip")
    compare "$name" "$zip" "$b_dist/$name"
    compare "$name.sha256" "$zip.sha256" "$b_dist/$name.sha256"
done
exit $status
