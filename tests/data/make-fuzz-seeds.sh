#!/bin/sh
# Writes the fuzz seeds that no archiver makes into fuzz/: a self-extractor as the
# conversion builds one (a minimal PE image of one section, the settings header, then
# zip/basic.zip), HYP and SQZ archives (no archiver for them runs here), and texts for the
# pattern, folder, name and row parsers.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/fuzz"
python3 - "$here/zip/basic.zip" "$here/fuzz/basic.sfx" <<'PY'
import struct, sys
archive = open(sys.argv[1], "rb").read()
image = bytearray(0x400)
image[0:2] = b"MZ"
struct.pack_into("<I", image, 0x3C, 0x40)          # PE header offset
image[0x40:0x44] = b"PE\0\0"
struct.pack_into("<HH", image, 0x44, 0x14C, 1)     # machine i386, one section
struct.pack_into("<H", image, 0x54, 0)             # no optional header
section = 0x58
image[section:section + 8] = b".text\0\0\0"
struct.pack_into("<II", image, section + 16, 0x200, 0x200)  # raw size, raw offset
texts = [b"Unpack", b"C:\\Target", b"setup.exe /q"]
header = bytearray(256)
header[0:3] = b"QSx"
header[3] = 2 | 16                                  # ask for files, never overwrite
header[4:7] = bytes(len(t) for t in texts)
header[7:7 + sum(map(len, texts))] = b"".join(texts)
open(sys.argv[2], "wb").write(bytes(image) + bytes(header) + archive)
PY
python3 - "$here/fuzz/seed.hyp" "$here/fuzz/seed.sqz" <<'PY'
import struct, sys
members = [(b"README.TXT", b"Hello, world\r\n"), (b"DOCS\\MANUAL.DOC", b"x" * 40),
           (b"EMPTY.DAT", b"")]
time, date = (10 << 11) | (30 << 5), ((1994 - 1980) << 9) | (6 << 5) | 15
hyp = bytearray()
for name, data in members:  # stored: the packed bytes are the data
    hyp += b"\x1a" + b"ST\x00" + struct.pack("<IIHH", len(data), len(data), time, date)
    hyp += bytes(5) + bytes([len(name)]) + name + data
open(sys.argv[1], "wb").write(bytes(hyp))
sqz = bytearray(b"HLSQZ\x01\x00\x00")
sqz += bytes([1]) + struct.pack("<H", 4) + b"note"  # a comment block before the files
for name, data in members:
    sqz += bytes([18 + len(name)]) + bytes(2) + struct.pack("<IIHH", len(data), len(data), time, date)
    sqz += bytes(5) + name + data
sqz += b"\x00"
open(sys.argv[2], "wb").write(bytes(sqz))
PY
printf '*.txt docs\\*.*\0/a "/b c"\0docs/a.txt\nB.TXT\n\033]0;x\007.txt\n' > "$here/fuzz/seed.texts"
