#!/bin/sh
# The release command: builds the plug-in DLL and the reference host afresh
# in build/release, checks them and writes the bundle a Windows user
# downloads:
#   dist/quorin_glftpd_1_24-<version>-win32.zip         the DLL, quorin_host.exe,
#                                                       README-windows.txt, SHA256SUMS
#   dist/quorin_glftpd_1_24-<version>-win32.zip.sha256  the zip's own checksum
# The version is CMake's project(VERSION). One commit gives the same bytes
# in any clone at any time: every date is the commit's (SOURCE_DATE_EPOCH
# when set), and no path or clock reaches the files.
# QUORIN_RELEASE_DIST: another folder for the bundle; QUORIN_BUILD_DIR as in
# tools/build.sh. QUORIN_RELEASE_BINARIES=DIR bundles the DLL and the host
# already built in DIR, a build configured as this one (Release, the mingw-w64
# toolchain), instead of building them: the reproducibility check
# (tests/release/reproducible.sh) compares such a bundle of the tests' build
# with one built afresh.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUORIN_BUILD_DIR:-$root/build}/release"
dist="${QUORIN_RELEASE_DIST:-$root/dist}"
plugin=quorin_glftpd_1_24
fail() {
    echo "release.sh: $*" >&2
    exit 1
}

"$root/tools/install-deps.sh"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
        fail "not a git checkout: set SOURCE_DATE_EPOCH to the release's time (seconds)"
fi
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1 &&
    [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "release.sh: warning: uncommitted changes; this bundle is not what the commit builds" >&2
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C

if [ -n "${QUORIN_RELEASE_BINARIES:-}" ]; then
    built=$(cd "$QUORIN_RELEASE_BINARIES" && pwd)
    grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$built/CMakeCache.txt" &&
        grep -q '^CMAKE_TOOLCHAIN_FILE:[A-Z]*=.*/cmake/toolchain-mingw-i686\.cmake$' "$built/CMakeCache.txt" ||
        fail "$built is not a Release build with cmake/toolchain-mingw-i686.cmake"
    echo "== bundling $plugin.dll and quorin_host.exe of $built"
    mkdir -p "$build"
else
    # Always from scratch: nothing of an earlier configuration or build counts.
    built=$build
    rm -rf "$build"
    mkdir -p "$build"
    log="$build/release.log"
    echo "== building $plugin.dll and quorin_host.exe in $build"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >"$log" 2>&1 ||
        { cat "$log"; fail "configuring failed"; }
    cmake --build "$build" -j 2 --target "$plugin" quorin_host >>"$log" 2>&1 ||
        { tail -n 60 "$log"; fail "the build failed (all of it in $log)"; }
fi

version=$(sed -n 's/^#define QUORIN_VERSION_TEXT "\(.*\)"$/\1/p' "$built/generated/quorin_version.h")
[ -n "$version" ] || fail "no version in $built/generated/quorin_version.h"

echo "== checking $plugin.dll and quorin_host.exe for $version"
"$root/tools/check-dll-tables.sh" --version "$version" "$built/bin/$plugin.dll" ||
    fail "$plugin.dll is not fit to ship (see above); no bundle written"
"$root/tools/check-dll-tables.sh" --program "$built/bin/quorin_host.exe" ||
    fail "quorin_host.exe is not fit to ship (see above); no bundle written"

stage="$build/bundle"
rm -rf "$stage"
mkdir -p "$stage"
cp "$built/bin/$plugin.dll" "$built/bin/quorin_host.exe" "$stage/"
# CRLF: the reader opens it in Notepad.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/resources/README-windows.txt" \
    >"$stage/README-windows.txt"
(cd "$stage" && sha256sum "$plugin.dll" quorin_host.exe README-windows.txt >SHA256SUMS)

python=/usr/bin/python3
[ -x "$python" ] || python=python3
zip="$plugin-$version-win32.zip"
mkdir -p "$dist"
rm -f "$dist/$zip" "$dist/$zip.sha256"
"$python" "$root/tools/make_zip.py" "$dist/$zip" "$SOURCE_DATE_EPOCH" \
    "$stage/$plugin.dll" "$stage/quorin_host.exe" "$stage/README-windows.txt" "$stage/SHA256SUMS"
(cd "$dist" && sha256sum "$zip" >"$zip.sha256")

echo "== $version bundle (sources of $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
cat "$stage/SHA256SUMS"
echo "$dist/$zip ($(wc -c <"$dist/$zip") bytes)"
cat "$dist/$zip.sha256"
