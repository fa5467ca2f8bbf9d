#!/bin/bash
# Regenerates the 7z fixtures of the reader tests with Debian's 7zz (package 7zip), and beside
# each archive a .txt listing taken from `7zz l -slt`: one member a line, tab-separated: name,
# size, packed size, modification time as a Unix time ("?" when the archive keeps none).
# The packed size is 7-Zip's when the member's block (folder) holds it alone and 0 otherwise:
# a block of several files has one packed size for all, which 7-Zip shows on its first file.
#
# Needs: 7zip python3. Run from anywhere.
set -euo pipefail
export TZ=UTC LC_ALL=C.UTF-8

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
out="$here/7z"
rm -rf "$out"
mkdir -p "$out"

# The input tree, with fixed times so that listings stay the same from run to run.
mkdir -p "$work/in/docs/sub" "$work/in/docs/empty-folder"
cd "$work/in"
printf 'Hello from the fixture set.\n' > hello.txt
for i in $(seq 1 40); do echo "line $i of the readme, repeated so that it compresses well"; done > readme.txt
: > empty.txt
for i in $(seq 1 20); do echo "note $i"; done > docs/notes.txt
python3 -c 'import random,sys; sys.stdout.buffer.write(random.Random(7).randbytes(300))' > docs/sub/deep.dat
touch -d '1994-07-15 13:45:22' hello.txt
touch -d '1999-12-31 23:59:58' readme.txt
touch -d '1990-01-01 00:00:00' empty.txt
touch -d '2001-02-03 04:05:06' docs/notes.txt
touch -d '2010-10-10 10:10:10' docs/sub/deep.dat
touch -d '2005-05-05 05:05:04' docs/sub docs/empty-folder docs

# Names in three scripts and one beyond the 16-bit range (a surrogate pair in the archive).
mkdir -p "$work/uni/Ελληνικά"
printf 'alpha\n' > "$work/uni/Ελληνικά/λέξη.txt"
printf 'kanji\n' > "$work/uni/日本語.txt"
printf 'emoji\n' > "$work/uni/smile-😀.txt"
printf 'cafe\n' > "$work/uni/café.txt"
touch -d '2020-02-02 02:02:02' "$work/uni"/* "$work/uni/Ελληνικά"/*

# An x86 program-like file: the BCJ filter converts the targets of its E8 calls.
python3 -c '
import random, sys
r = random.Random(3)
b = bytearray()
for i in range(2000):
    b += b"\x55\x89\xe5\xe8" + r.randbytes(4) + b"\x5d\xc3"
sys.stdout.buffer.write(bytes(b))' > "$work/prog.exe"
touch -d '2015-06-07 08:09:10' "$work/prog.exe"

# Enough files that the header is well over 64 KB before it is packed.
mkdir -p "$work/many"
python3 - "$work/many" <<'PY'
import os, sys
root = sys.argv[1]
for i in range(2500):
    with open(os.path.join(root, f"member-with-a-long-name-number-{i:05d}.txt"), "w") as f:
        f.write(str(i))
    os.utime(os.path.join(root, f"member-with-a-long-name-number-{i:05d}.txt"), (1e9 + i, 1e9 + i))
PY

a() { 7zz a -bd -bso0 -bsp0 "$@"; }
a -m0=lzma -ms=on "$out/lzma-solid.7z" .
a -m0=lzma -ms=off "$out/lzma-nonsolid.7z" .
a -m0=lzma2 -ms=on "$out/lzma2-solid.7z" .
a -m0=lzma2 -ms=off "$out/lzma2-nonsolid.7z" .
a -m0=copy -mhc=off "$out/plain-header.7z" .
a -mtm=off "$out/no-times.7z" hello.txt docs
(cd "$work/uni" && a "$out/unicode.7z" .)
(cd "$work" && a -mf=BCJ "$out/bcj.7z" prog.exe)
(cd "$work/many" && a -ms=on "$out/many.7z" .)
a -psecret -mhe=off "$out/encrypted-data.7z" hello.txt readme.txt
a -psecret -mhe=on "$out/encrypted-headers.7z" hello.txt readme.txt
# An update archive: readme.txt is gone since the base, so it holds an anti-item for it.
mkdir -p "$work/upd"
cp -p hello.txt readme.txt "$work/upd/"
(
  cd "$work/upd"
  a "$work/base.7z" hello.txt readme.txt
  rm readme.txt
  printf 'Hello again.\n' > hello.txt
  touch -d '1994-07-16 13:45:22' hello.txt
  7zz u -bd -bso0 -bsp0 "$work/base.7z" -u- "-up0q3r2x2y2z0w2!$out/anti-items.7z" '*'
)

# The listings, from 7-Zip's technical listing.
for f in "$out"/*.7z; do
  [ "$(basename "$f")" = encrypted-headers.7z ] && continue
  7zz l -slt "$f" | python3 -c '
import sys, calendar, time
text = sys.stdin.read().split("\n----------\n", 1)[1]
items = []
for block in text.split("\n\n"):
    fields = dict(l.split(" = ", 1) for l in block.splitlines() if " = " in l)
    if "Path" in fields:
        items.append(fields)
per_block = {}
for it in items:
    if it.get("Block"):
        per_block[it["Block"]] = per_block.get(it["Block"], 0) + 1
for it in items:
    packed = it.get("Packed Size") or "0"
    if not it.get("Block") or per_block[it["Block"]] != 1:
        packed = "0"
    when = it.get("Modified", "")
    unix = "?" if not when else str(calendar.timegm(time.strptime(when.split(".")[0], "%Y-%m-%d %H:%M:%S")))
    print("\t".join([it["Path"], it.get("Size") or "0", packed, unix]))
' > "$f.txt"
done
# What 7-Zip says of the encrypted headers without the password: no listing at all.
: > "$out/encrypted-headers.7z.txt"
echo "wrote $(ls "$out"/*.7z | wc -l) archives to $out"
