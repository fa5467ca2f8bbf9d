#!/bin/bash
# Regenerates the CAB, TAR and WAD fixtures of the reader tests with Debian's own archivers
# (gcab, GNU tar, deutex), and next to each the listing that an independent tool (7-Zip's
# `7zz l -slt`, or DeuTex's `-wadir`) gives for it: one member a line, "size<TAB>name".
# The readers' tests compare their listing with those files.
#
# Needs: gcab, tar, deutex (with Debian's freedoom2.wad as the iwad it insists on), 7zip.
# File times are fixed and TZ=UTC, so a rerun gives the same bytes.
set -euo pipefail
export TZ=UTC LC_ALL=C

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints "size<TAB>path" for every member that 7-Zip lists.
list7z() {
  7zz l -slt "$1" | awk '
    /^----------/ { on = 1; next }
    !on { next }
    /^Path = / { path = substr($0, 8) }
    /^Size = / { size = substr($0, 8) }
    /^$/ { if (path != "") print size "\t" path; path = ""; size = "" }
    END { if (path != "") print size "\t" path }'
}

# --- input files -----------------------------------------------------------------------
in="$work/in"
long_dir="long/a_fairly_long_folder_name_for_the_fixture_set/another_component_to_pass_one_hundred"
name100="$(printf 'n%.0s' $(seq 1 96)).txt"         # exactly 100 characters
name255="$(printf 'L%.0s' $(seq 1 251)).txt"        # the longest name a cabinet allows
mkdir -p "$in/docs" "$in/$long_dir" "$in/d"
printf 'Hello from the fixtures.\n' > "$in/hello.txt"
: > "$in/empty.txt"
seq 1 400 > "$in/docs/notes.txt"
head -c 512 /dev/zero | tr '\0' 'a' > "$in/b512.bin"
head -c 513 /dev/zero | tr '\0' 'b' > "$in/b513.bin"
printf 'exactly one hundred\n' > "$in/$name100"
printf 'long path\n' > "$in/$long_dir/file_with_a_long_name.txt"
printf 'long name\n' > "$in/$name255"
cp "$in/$name255" "$in/d/$name255"
printf 'after\n' > "$in/after.txt"
touch -d '1994-07-15 13:45:22' "$in/hello.txt"
touch -d '1990-01-01 00:00:00' "$in/empty.txt"
touch -d '2001-02-03 04:05:06' "$in/docs/notes.txt" "$in/b512.bin" "$in/b513.bin"
touch -d '2003-03-03 03:03:02' "$in/$name100" "$in/$long_dir/file_with_a_long_name.txt" \
  "$in/$name255" "$in/d/$name255" "$in/after.txt"
find "$in" -type d -exec touch -d '2005-05-05 05:05:04' {} +

# --- CAB -------------------------------------------------------------------------------
# gcab puts every file into a single folder (libgcab refuses to write a second one), so the
# several-folder case is built by hand in the test.
mkdir -p "$here/cab"
(
  cd "$in"
  gcab -c "$here/cab/gcab-stored.cab" hello.txt empty.txt docs/notes.txt b513.bin
  gcab -c -z "$here/cab/gcab-mszip.cab" hello.txt empty.txt docs/notes.txt b513.bin
  # A name of exactly 255 bytes, then one of 257 (past the format's limit, but gcab writes it).
  gcab -c -n "$here/cab/gcab-name-255.cab" "$name255" after.txt
  gcab -c "$here/cab/gcab-name-257.cab" "d/$name255" after.txt
)
for f in "$here"/cab/*.cab; do list7z "$f" > "$f.7z.txt"; done

# --- TAR -------------------------------------------------------------------------------
# Blocking factor 1 keeps the files small: the two closing zero blocks end them.
mkdir -p "$here/tar"
tar_opts=(-b 1 --owner=0 --group=0 --numeric-owner --no-recursion -C "$in")
members=(hello.txt empty.txt docs docs/notes.txt b512.bin b513.bin "$name100")
tar --format=ustar "${tar_opts[@]}" -cf "$here/tar/ustar.tar" "${members[@]}"
tar --format=v7 "${tar_opts[@]}" -cf "$here/tar/v7.tar" hello.txt docs/notes.txt b513.bin
tar --format=gnu "${tar_opts[@]}" -cf "$here/tar/gnu-longname.tar" \
  hello.txt "$long_dir/file_with_a_long_name.txt" b513.bin
tar --format=pax --pax-option=delete=atime,delete=ctime "${tar_opts[@]}" \
  -cf "$here/tar/pax-longname.tar" hello.txt "$long_dir/file_with_a_long_name.txt" b513.bin
for f in "$here"/tar/*.tar; do list7z "$f" > "$f.7z.txt"; done

# --- WAD -------------------------------------------------------------------------------
# DeuTex wants an iwad even to build a pwad of raw lumps.
mkdir -p "$here/wad" "$work/wad/iwad" "$work/wad/lumps"
ln -s /usr/share/games/doom/freedoom2.wad "$work/wad/iwad/doom2.wad"
printf 'A small text lump.\n' > "$work/wad/lumps/readme.lmp"
head -c 300 /dev/zero | tr '\0' 'x' > "$work/wad/lumps/textlump.lmp"   # 8-character name
: > "$work/wad/lumps/marker.lmp"                                          # 0-byte lump
printf '[lumps]\nREADME\nMARKER\nTEXTLUMP\n' > "$work/wad/wadinfo.txt"
(
  cd "$work/wad"
  /usr/games/deutex -doom2 iwad -build wadinfo.txt "$here/wad/deutex-lumps.wad" > /dev/null
  # "-wadir" prints a table: entry, size, type.
  /usr/games/deutex -doom2 iwad -wadir "$here/wad/deutex-lumps.wad" 2> /dev/null |
    awk 'NR > 3 && NF >= 2 && $2 ~ /^[0-9]+$/ { print $2 "\t" $1 }' \
      > "$here/wad/deutex-lumps.wad.wadir.txt"
)
