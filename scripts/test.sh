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

step "source format"
./scripts/format-check.sh

step "layers"
# The target graphs of a native and a Windows configure (the Win32 layers exist only there).
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release --graphviz=build/graph/targets.dot >/dev/null
cmake -S . -B build-win64 --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  --graphviz=build-win64/graph/targets.dot >/dev/null
python3 scripts/check-layers.py --graph build/graph/targets.dot --graph build-win64/graph/targets.dot

step "native build"
cmake --build build -j"$jobs"
step "native tests"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --test-dir build --output-on-failure -j"$jobs" | tee -a "$log"

step "32-bit Windows build (compile and link only)"
cmake -S . -B build-win32 --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win32 -j"$jobs"

step "64-bit Windows build"
cmake -S . -B build-win64 --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win64 -j"$jobs"
step "64-bit Windows tests under Wine"
# Wine's desktop process belongs to the display it was started on: the Wine server, its
# background processes and every test run inside one Xvfb session, and end with it.
xvfb-run -a -s "-screen 0 1280x1024x24" ./scripts/wine-tests.sh build-win64 -j"$jobs" | tee -a "$log"

fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
  step "fuzzing the readers and parsers for ${fuzz_seconds}s"
  ./scripts/fuzz.sh "$fuzz_seconds"
fi
step "all tests passed"
# ctest's own summaries, added up: "100% tests passed, 0 tests failed out of N".
total=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | awk '{s += $1} END {print s + 0}')
echo "$total passed, 0 failed"
