#!/bin/sh
# Regenerates the ZIP fixtures in zip/ with Info-ZIP's zip (Debian package "zip").
# Times are fixed and TZ is UTC so the archives come out the same on every run.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC
mkdir -p "$out"
cd "$work"

# basic.zip: a folder entry, a member in it, a compressed and a stored member.
mkdir -p docs
printf 'read me\n' > docs/readme.txt
yes 'the same line, again and again' | head -n 200 > big.TXT
printf 'x' > one.bin
touch -d '2001-03-15 15:18:40' docs/readme.txt docs big.TXT
touch -d '2020-12-31 00:07:00' one.bin
rm -f "$out/basic.zip"
zip -q -X "$out/basic.zip" docs/ docs/readme.txt
zip -q -X "$out/basic.zip" big.TXT
zip -q -X -0 "$out/basic.zip" one.bin

# empty.zip: every member deleted again; only the end record is left.
rm -f "$out/empty.zip"
zip -q -X "$out/empty.zip" one.bin
zip -q -d "$out/empty.zip" one.bin || true

# streamed.zip: written to a pipe, so sizes follow the data (flag bit 3).
rm -f "$out/streamed.zip"
printf 'streamed\n' > streamed.txt
touch -d '2001-03-15 15:18:40' streamed.txt
zip -q -X - streamed.txt | cat > "$out/streamed.zip"

# names257.zip / names258.zip: the longest stored name accepted, and one byte more.
n255=$(printf '%0255d' 0 | tr 0 n)
mkdir -p a ab
printf 'a' > "a/$n255"
printf 'b' > "ab/$n255"
touch -d '2001-03-15 15:18:40' "a/$n255" "ab/$n255"
rm -f "$out/name257.zip" "$out/name258.zip"
zip -q -X -D "$out/name257.zip" "a/$n255"
zip -q -X -D "$out/name258.zip" "ab/$n255"

# stored100.zip: one stored member of 100 bytes, for cutting its data short.
head -c 100 /dev/zero | tr '\0' 'd' > data100.txt
touch -d '2001-03-15 15:18:40' data100.txt
rm -f "$out/stored100.zip"
zip -q -X -0 "$out/stored100.zip" data100.txt

# sfx-like.zip: a program stub before the first local header lists nothing.
printf 'MZ stub, not a local header................................' > stub
cat stub "$out/basic.zip" > "$out/stub-first.zip"

# encrypted.zip: a member encrypted with the password "secret" beside a plain one. Made by
# 7-Zip (Debian package "7zip"): Info-ZIP's zip puts the sizes of an encrypted member after
# its data, and the search's reader stops at such a member.
printf 'locked away\n' > locked.txt
printf 'open to all\n' > open.txt
touch -d '2001-03-15 15:18:40' locked.txt open.txt
rm -f "$out/encrypted.zip"
7zz a -tzip -psecret -mem=ZipCrypto -mtc=off -mcu=off "$out/encrypted.zip" locked.txt >/dev/null
7zz a -tzip -mtc=off "$out/encrypted.zip" open.txt >/dev/null

ls -l "$out"
