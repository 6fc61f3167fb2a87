#!/bin/sh
# The test command: installs what is missing, builds both builds and runs
# every test of both in one ctest run, side by side as far as they allow
# (the tests that show windows each on a Wine desktop of its own; see
# docs/testing.md). QUORIN_TEST_JOBS: how many tests at once (default: the
# cores plus two, as most of the tests under Wine spend their time waiting).
# Extra arguments go to ctest, e.g. -R ui_ to run some only.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QUORIN_BUILD_DIR:-$root/build}"
jobs="${QUORIN_TEST_JOBS:-$(($(nproc 2>/dev/null || echo 2) + 2))}"
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
# One run over both builds: ctest shares the jobs out over all their tests.
printf 'subdirs("win32" "native")\n' >"$build/CTestTestfile.cmake"
exec ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
