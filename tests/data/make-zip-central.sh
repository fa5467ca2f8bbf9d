#!/bin/sh
# Regenerates the ZIP fixtures of the central-directory reader in zip/ with Info-ZIP's zip
# and Python's zipfile. Times are fixed and TZ is UTC so the archives come out the same.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC
cd "$work"
printf 'first member\n' > a.txt
yes 'a line that packs well' | head -n 300 > b.txt
touch -d '2003-04-05 06:07:08' a.txt b.txt

# comment.zip: an archive comment after the end record.
rm -f "$out/comment.zip"
echo 'An archive comment, with PK in it' | zip -q -X -z "$out/comment.zip" a.txt b.txt

# zip64.zip: ZIP64 sizes in the extra fields and the ZIP64 end record and locator.
rm -f "$out/zip64.zip"
zip -q -X -fz "$out/zip64.zip" a.txt b.txt

# sfx-adjusted.zip: a program stub in front, offsets adjusted to count it (zip -A).
printf 'MZ a stand-in program stub of some length..............................' > stub
zip -q -X plain.zip a.txt b.txt
cat stub plain.zip > "$out/sfx-adjusted.zip"
zip -q -A "$out/sfx-adjusted.zip"

# streamed-python.zip: Python's zipfile writing to a pipe, so every member carries a data
# descriptor (flag bit 3), as jar and most libraries write them.
python3 - a.txt b.txt <<'PY' | cat > "$out/streamed-python.zip"
import sys, zipfile
with zipfile.ZipFile(sys.stdout.buffer, "w", zipfile.ZIP_DEFLATED) as z:
    for name in sys.argv[1:]:
        info = zipfile.ZipInfo(name, (2003, 4, 5, 6, 7, 8))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, open(name, "rb").read())
    z.writestr(zipfile.ZipInfo("folder/", (2003, 4, 5, 6, 7, 8)), b"")
PY
ls -l "$out/comment.zip" "$out/zip64.zip" "$out/sfx-adjusted.zip" "$out/streamed-python.zip"
