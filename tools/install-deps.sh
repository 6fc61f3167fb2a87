#!/bin/sh
# Installs what a job needs on a Debian machine, only when something is
# missing: quick when everything is already there.
#   install-deps.sh [main|all]
# main: what ./tools/run.sh needs: CMake, the i686 cross compiler, Python
#   (the icon generator), Wine with its 32-bit part and fonts, Xvfb.
# all (the default): also clang, GoogleTest, Google Benchmark, the 64-bit
#   cross compiler and the live test server's Python packages.
set -eu

main_packages="cmake make python3
g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
wine wine32:i386 fonts-wine xvfb xauth"
test_packages="clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev mingw-w64
python3-pyftpdlib python3-openssl socat openssl libssl3 libcrypt1"

case "${1:-all}" in
main) packages="$main_packages" ;;
all) packages="$main_packages $test_packages" ;;
*)
    echo "usage: install-deps.sh [main|all]" >&2
    exit 2
    ;;
esac

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
