#!/usr/bin/env bash
# Builds the window benchmarks for 64-bit Windows and runs them under Wine and Xvfb:
# - list_bench: a million rows through the hand-over into the results list, then every sort
#   (ROWS sets the row count, default 1000000);
# - tree_bench on two trees made here once: 4,000 folders with one hit each, and 20,000
#   folders with one hit each plus one folder of 100,000 hits. For each: the slowest answer
#   to a message sent every 50 ms, the time from a "Stop Search" click to "Begin Search",
#   and the whole search against the engine alone counting the same hits, in turns
#   (TREE_RUNS times, default 3; medians at the end).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build-win64}
trees=${TREES:-${TMPDIR:-/tmp}/quillow-gui-trees}
cmake -S . -B "$build" --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target list_bench tree_bench -j2 >/dev/null

python3 - "$trees" <<'PY'
import os, sys
root = sys.argv[1]
def make(name, folders, big):
    top = os.path.join(root, name)
    if os.path.exists(os.path.join(top, ".done")):
        return
    for i in range(folders):
        d = os.path.join(top, "d%03d" % (i // 100), "e%05d" % i)
        os.makedirs(d, exist_ok=True)
        open(os.path.join(d, "hit.txt"), "w").close()
    if big:
        d = os.path.join(top, "big")
        os.makedirs(d, exist_ok=True)
        for i in range(big):
            open(os.path.join(d, "h%06d.txt" % i), "w").close()
    open(os.path.join(top, ".done"), "w").close()
make("folders-4000", 4000, 0)
make("folders-20000-big", 20000, 100000)
PY

export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -e
  "$1/wine-run.sh" "$1/bench/gui/list_bench.exe" "$2"
  for tree in folders-4000 folders-20000-big; do
    echo "== $tree"
    "$1/wine-run.sh" "$1/bench/gui/tree_bench.exe" "$(winepath -w "$3/$tree")" "$4"
  done' bench "$build" "${ROWS:-1000000}" "$trees" "${TREE_RUNS:-3}"
