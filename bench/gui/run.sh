#!/usr/bin/env bash
# Builds the results-list benchmark for 64-bit Windows and runs it under Wine and Xvfb.
# ROWS sets the row count (default 1000000).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build-win64}
cmake -S . -B "$build" --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target list_bench -j2 >/dev/null
xvfb-run -a "$build/wine-run.sh" "$build/bench/gui/list_bench.exe" "${ROWS:-1000000}"
