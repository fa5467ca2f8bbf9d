#!/bin/sh
# Writes the fuzz seeds that no archiver makes into fuzz/: a self-extractor as the
# conversion builds one (a minimal PE image of one section, the settings header, then
# zip/basic.zip), and texts for the pattern, folder, name and row parsers.
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
printf '*.txt docs\\*.*\0/a "/b c"\0docs/a.txt\nB.TXT\n\033]0;x\007.txt\n' > "$here/fuzz/seed.texts"
