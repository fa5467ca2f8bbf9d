#!/usr/bin/env bash
# Writes 1,000,000 result rows through each saved-results layout (text with spaces, tabs,
# HTML, CSV, JSON Lines) and reports the median seconds and MB/s of each beside `cat`
# copying a file of the same size, measured in the same run.
# Usage: bench/writers/run.sh [ROWS] [RUNS]    (defaults 1000000 and 5)
set -eu
cd "$(dirname "$0")/../.."
rows=${1:-1000000}
runs=${2:-5}
build=${BUILD:-build-bench}
# A fresh folder is configured without the tests; an existing one (BUILD=build) keeps its
# own choice, so that benchmarking never turns a developer's tests off.
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
else
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLOW_TESTS=OFF > /dev/null
fi
cmake --build "$build" -j2 --target writers_bench > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
now() { date +%s.%N; }

printf '%-8s %10s %9s %9s %9s %9s\n' layout MB seconds MB/s cat-MB/s ratio
"$build/bench/writers/writers_bench" "$work" "$rows" "$runs" | while read -r name secs bytes path; do
  for ((i = 0; i < runs; i++)); do
    start=$(now)
    cat "$path" > "$work/cat.out"
    end=$(now)
    echo "$end - $start" | bc -l
  done | median > "$work/cat.median"
  cat_secs=$(cat "$work/cat.median")
  awk -v n="$name" -v s="$secs" -v b="$bytes" -v c="$cat_secs" 'BEGIN {
    mb = b / 1e6; printf "%-8s %10.1f %9.3f %9.1f %9.1f %9.2f\n", n, mb, s, mb / s, mb / c, (mb / s) / (mb / c) }'
done
