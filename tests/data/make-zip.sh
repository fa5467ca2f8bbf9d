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


# boundary*.zip: zeros whose inflated size ends just before, on and just past the unzip
# buffer of 256 KiB (and twice that), deflated, encrypted (password "pw") and streamed (sizes
# after the data). A decoder that stops when its input is spent loses the last bytes.
rm -f "$out"/boundary*.zip
for n in 262143 262144 262145 262244 524388; do head -c $n /dev/zero > "z$n.bin"; done
touch -d '2001-03-15 15:18:40' z*.bin
zip -q -X -9 "$out/boundary.zip" z*.bin
zip -q -X -9 -P pw "$out/boundary-encrypted.zip" z*.bin
zip -q -X -9 - - < z262244.bin > "$out/boundary-streamed.zip"

# overlap.zip: a non-recursive zip bomb. One deflated kernel of a megabyte of zeros named by
# eight central entries, a member whose stored data quotes another member's local header,
# and one honest member last. Only the honest one may be written.
python3 - "$out/overlap.zip" <<'PY'
import struct, sys, zlib

def local(name, crc, packed, size, method):
    return struct.pack('<IHHHHHIIIHH', 0x04034B50, 20, 0, method, 0x6000, 0x2A6F,
                       crc, packed, size, len(name), 0) + name

def central(name, crc, packed, size, method, offset):
    return struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, 20, 20, 0, method, 0x6000, 0x2A6F,
                       crc, packed, size, len(name), 0, 0, 0, 0, 0, offset) + name

body, cd = b'', b''
zeros = bytes(1 << 20)
c = zlib.compressobj(9, zlib.DEFLATED, -15)
kernel = c.compress(zeros) + c.flush()
crc = zlib.crc32(zeros)
body += local(b'k0.bin', crc, len(kernel), len(zeros), 8) + kernel
for i in range(8):
    cd += central(b'k%d.bin' % i, crc, len(kernel), len(zeros), 8, 0)
inner = local(b'quoted.txt', zlib.crc32(b'quoted'), 6, 6, 0) + b'quoted'
outer_at = len(body)
body += local(b'outer.bin', zlib.crc32(inner), len(inner), len(inner), 0) + inner
cd += central(b'outer.bin', zlib.crc32(inner), len(inner), len(inner), 0, outer_at)
cd += central(b'quoted.txt', zlib.crc32(b'quoted'), 6, 6, 0, outer_at + 30 + len(b'outer.bin'))
good_at = len(body)
body += local(b'good.txt', zlib.crc32(b'good\n'), 5, 5, 0) + b'good\n'
cd += central(b'good.txt', zlib.crc32(b'good\n'), 5, 5, 0, good_at)
entries = 11
end = struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, entries, entries, len(cd), len(body), 0)
open(sys.argv[1], 'wb').write(body + cd + end)
PY
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
