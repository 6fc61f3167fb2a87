#!/bin/sh
# Installs what the builds and tests need on a Debian machine, only when
# something is missing: quick when everything is already there.
set -eu

packages="cmake make python3 clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
wine wine32:i386 fonts-wine xvfb xauth python3-pyftpdlib python3-openssl"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
run_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    run_root dpkg --add-architecture i386
fi
run_root apt-get update -qq
run_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
