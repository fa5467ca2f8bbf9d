#!/usr/bin/env bash
# Builds all three builds (native, 64-bit and 32-bit Windows) and runs every test: the
# native tests, the Windows tests under Wine and Xvfb, and a short fuzzing run.
# FUZZ_SECONDS sets the fuzzing time (default 60 in all; 0 skips it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

./scripts/setup.sh

step() { printf '\n=== %s ===\n' "$*"; }

step "native build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
step "native tests"
ctest --test-dir build --output-on-failure -j"$jobs"

step "32-bit Windows build (compile and link only)"
cmake -S . -B build-win32 --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win32 -j"$jobs"

step "64-bit Windows build"
cmake -S . -B build-win64 --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win64 -j"$jobs"
step "64-bit Windows tests under Wine"
export WINEPREFIX="$root/build-win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One Wine server and one set of Wine's own background processes for the whole run,
# instead of one per test program start.
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine wineboot </dev/null >/dev/null 2>&1 || true
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build-win64 --output-on-failure -j"$jobs"

fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
  step "fuzzing the archive readers for ${fuzz_seconds}s"
  ./scripts/fuzz.sh "$fuzz_seconds"
fi
step "all tests passed"
