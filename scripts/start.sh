#!/usr/bin/env bash
# Builds Quillow and starts it: Quillow.exe under Wine where there is a display, otherwise
# quillow-find on the bundled sample archives.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
./scripts/setup.sh
if [ -n "${DISPLAY:-}" ]; then
  cmake -S . -B build-win64 --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-win64 -j"$(nproc)" --target Quillow
  export WINEPREFIX="$root/build-win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -d "$WINEPREFIX" ] || wine wineboot -i >/dev/null 2>&1 || true
  echo "Starting Quillow.exe under Wine..."
  exec wine "$root/build-win64/src/app/Quillow.exe"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target quillow-find
echo "No display: Quillow's window cannot be shown here. Running quillow-find on the sample"
echo "archives in tests/data instead (all files and members):"
echo
set +e
./build/src/quillow-find '*.*' "$root/tests/data"
echo
echo "(quillow-find --help lists its options.)"
