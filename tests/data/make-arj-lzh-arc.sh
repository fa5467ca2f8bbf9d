#!/bin/bash
# Regenerates the ARJ, LZH, ARC and PAK fixtures of the reader tests with Debian's own
# archivers (arj, jlha-utils, arc), and beside each archive a .peer listing: what lsar (unar)
# lists in it, one member a line: name, size, packed size, DOS date, DOS time, Unix time, all
# tab-separated. The listing is cross-checked against 7zz (ARJ, LZH) and bsdtar (LZH) before it
# is written, so the tests compare the readers with tools that share none of our code.
#
# Needs: arj jlha-utils arc unar 7zip libarchive-tools python3. Run from anywhere.
set -euo pipefail
export TZ=UTC LC_ALL=C

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The input tree, with fixed times so that listings stay the same from run to run.
mkdir -p "$work/in/docs/sub"
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
touch -d '2005-05-05 05:05:04' docs/sub docs

out="$work/out"
mkdir -p "$out"/{arj,lzh,arc,pak}

# ARJ: DOS mode (-2d: host OS 0, DOS dates) with folders; the Linux default (host OS 2, Unix
# times); file owners (-2o: a non-empty extended header on every member); stored members.
arj a -y -r -a1 -2d "$out/arj/dos-tree.arj" '*' > /dev/null
arj a -y -r -a1 "$out/arj/unix-tree.arj" '*' > /dev/null
arj a -y -r -a1 -2o "$out/arj/owner-ext.arj" '*' > /dev/null
arj a -y -2d -m0 "$out/arj/stored.arj" hello.txt readme.txt > /dev/null

# LZH: header levels 0, 1 and 2, folder entries included.
for level in 0 1 2; do
  jlha "a$level" "$out/lzh/level$level.lzh" hello.txt readme.txt empty.txt docs > /dev/null
done

# ARC, and the same file under a .pak name for the PAK pass.
arc a "$out/arc/files.arc" hello.txt readme.txt empty.txt docs/notes.txt docs/sub/deep.dat > /dev/null
cp "$out/arc/files.arc" "$out/pak/files.pak"

# name<TAB>size of every member as a peer tool lists it, sorted; folders without a trailing
# slash, as the tools print them.
peer_lsar() {
  lsar -j "$1" | python3 -c '
import json, sys
for e in json.load(sys.stdin)["lsarContents"]:
    print("%s\t%d" % (e["XADFileName"].rstrip("/"), e.get("XADFileSize", 0)))' | sort
}
peer_7z() {
  7zz l -slt "$1" | python3 -c '
import sys
name = None
for line in sys.stdin.read().split("\n----------\n", 1)[1].splitlines():
    if line.startswith("Path = "): name = line[7:]
    elif line.startswith("Size = ") and name is not None:
        print("%s\t%s" % (name.rstrip("/"), line[7:] or 0)); name = None' | sort
}
peer_bsdtar() {
  bsdtar -tvf "$1" | awk '{ n = $9; for (i = 10; i <= NF; i++) n = n " " $i; sub("/$", "", n); print n "\t" $5 }' | sort
}

cross_check() {  # archive, tool
  if ! diff <(peer_lsar "$1") <("peer_$2" "$1") > /dev/null; then
    echo "lsar and $2 disagree on $1:" >&2
    diff <(peer_lsar "$1") <("peer_$2" "$1") >&2 || true
    exit 1
  fi
}

# The .peer listing, in the archive's own order, from lsar; dates as DOS words and as a Unix
# time, both read from the tool's date text (TZ=UTC, so DOS fields print as stored).
write_peer() {
  lsar -j "$1" | python3 -c '
import calendar, json, sys, time
for e in json.load(sys.stdin)["lsarContents"]:
    t = time.strptime(e["XADLastModificationDate"][:19], "%Y-%m-%d %H:%M:%S")
    date = ((t.tm_year - 1980) << 9) | (t.tm_mon << 5) | t.tm_mday
    tod = (t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec // 2)
    print("%s\t%d\t%d\t%d\t%d\t%d" % (e["XADFileName"], e.get("XADFileSize", 0),
          e.get("XADCompressedSize", 0), date, tod, calendar.timegm(t)))' > "$1.peer"
}

# The same from 7zz, for the archive lsar cannot read. 7-Zip reads a host-UNIX date field as
# DOS words, so it gives no date: the date columns are 0.
write_peer_7z() {
  7zz l -slt "$1" | python3 -c '
import sys
entry = {}
for line in sys.stdin.read().split("\n----------\n", 1)[1].splitlines() + [""]:
    if " = " in line:
        key, value = line.split(" = ", 1); entry[key] = value
    elif entry.get("Path"):
        print("%s\t%s\t%s\t0\t0\t0" % (entry["Path"], entry["Size"] or 0, entry["Packed Size"] or 0))
        entry = {}' > "$1.peer"
}

for f in "$out"/arj/*.arj; do
  # lsar, like the plain walk, does not step over the CRC of a non-empty extended header and
  # gives up after the first member of owner-ext.arj; 7zz reads it whole.
  if [ "$(basename "$f")" = owner-ext.arj ]; then
    diff <(peer_7z "$f") <(peer_7z "$out/arj/unix-tree.arj")
    write_peer_7z "$f"
  else
    cross_check "$f" 7z
    write_peer "$f"
  fi
done
for f in "$out"/lzh/*.lzh; do cross_check "$f" 7z; cross_check "$f" bsdtar; write_peer "$f"; done
for f in "$out"/arc/*.arc "$out"/pak/*.pak; do write_peer "$f"; done

for d in arj lzh arc pak; do
  rm -rf "${here:?}/$d"
  mkdir -p "$here/$d"
  cp "$out/$d"/* "$here/$d/"
  chmod 644 "$here/$d"/*
done
echo "fixtures written to $here/{arj,lzh,arc,pak}"
