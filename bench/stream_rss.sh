#!/usr/bin/env bash
# Peak memory of quillow-find over a million rows: streamed tabs output against the padded
# text layout, which needs every row first. Also 100,000 rows, to show that the streamed
# figure does not grow with the row count.
# Usage: bench/stream_rss.sh [QUILLOW-FIND]   (default: build/src/quillow-find)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/src/quillow-find}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/million" "$work/hundred-k"
# Local headers only: all the reader walks.
python3 - "$work/million/m.zip" <<'PY'
import struct, sys
with open(sys.argv[1], "wb") as f:
    for i in range(1000000):
        name = b"m%07d.txt" % i
        f.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0x2A6F, 0, 0, 0, len(name), 0) + name)
PY
head -c 4200000 "$work/million/m.zip" > "$work/hundred-k/m.zip"
peak() { /usr/bin/time -v "$bin" "$@" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'; }
echo "rows       layout  peak RSS (KB)"
echo "100000     tabs    $(peak -f tabs '*.txt' "$work/hundred-k")"
echo "1000000    tabs    $(peak -f tabs '*.txt' "$work/million")"
echo "1000000    text    $(peak -f text '*.txt' "$work/million")"
