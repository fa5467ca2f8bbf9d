#!/usr/bin/env bash
# quillow-find end to end: arguments, exit status, where each text goes.
# Usage: cli_test.sh QUILLOW-FIND TEST-DATA-FOLDER
set -u
bin=$(realpath "$1")
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
contains() { grep -qF -- "$2" "$1"; }
lacks() { ! grep -qF -- "$2" "$1"; }

mkdir -p "$work/tree/sub dir/deeper" "$work/tree/.hidden"
cp "$data/zip/basic.zip" "$work/tree/sub dir/deeper/a.zip"
cp "$data/zip/streamed.zip" "$work/tree/bad.zip"
printf 'hello' > "$work/tree/notes.txt"
printf 'x' > "$work/tree/.hidden/secret.txt"

run() {  # run ARGS... : stdout -> $work/out, stderr -> $work/err, status -> $rc
  "$bin" "$@" > "$work/out" 2> "$work/err"
  rc=$?
}

run '*.txt' "$work/tree"
check "hits exit 0" test "$rc" -eq 0
check "header first" bash -c "head -c 4 '$work/out' | grep -qx File"
check "CR LF line ends" bash -c "head -n 1 '$work/out' | grep -q \$'\r\$'"
check "member row" contains "$work/out" "docs/readme.txt"
check "container path uses /" contains "$work/out" "$work/tree/sub dir/deeper/a.zip"
check "folder row ends in /" contains "$work/out" "$work/tree/ "
check "dot folders are not entered" lacks "$work/out" "secret.txt"
check "count on stderr" contains "$work/err" "3 files found."
check "warning on stderr" contains "$work/err" "$work/tree/bad.zip: This ZIP type not supported due to its rarity"
check "no warnings file" test ! -e "$(dirname "$bin")/warnings.txt"

run 'nothing-like-this.*' "$work/tree"
check "no hit exit 1" test "$rc" -eq 1
check "no hit text" contains "$work/err" "No files found."

run -n '*.txt' "$work/tree"
check "no subfolders" lacks "$work/out" "readme"

run --count '*.*' "$work/tree"
check "count only lists nothing" test ! -s "$work/out"
check "count only counts" contains "$work/err" "files found."

run --bogus '*.txt'
check "unknown option exit 2" test "$rc" -eq 2
run '*.txt' a b
check "three texts exit 2" test "$rc" -eq 2
run -t '' '*.txt' "$work/tree"
check "all types off is refused" test "$rc" -eq 2
check "refusal text" contains "$work/err" "You must select at least one file format"
run '.txt' "$work/tree"
check "empty base part exit 2" test "$rc" -eq 2
run -s 13 '*.txt'
check "sort kind range" test "$rc" -eq 2

run 'docs\readme.*' "$work/tree"
check "backslash folder part matches stored slashes" contains "$work/out" "docs/readme.txt"
run -c '*.TXT' "$work/tree"
check "case-sensitive" bash -c "grep -q big.TXT '$work/out' && ! grep -q notes.txt '$work/out'"
run -t folders '*.zip' "$work/tree"
check "types by name, any case" bash -c "grep -q 'bad.zip' '$work/out' && ! grep -q 'readme' '$work/out'"

mkdir -p "$work/sevenzip"
cp "$data/7z/unicode.7z" "$data/7z/encrypted-headers.7z" "$work/sevenzip/"
run -t 7z '*.txt' "$work/sevenzip"
check "7z members" contains "$work/out" "Ελληνικά/λέξη.txt"
check "7z encrypted headers warn" contains "$work/err" "encrypted-headers.7z: Encrypted 7z headers: members cannot be listed"
run -t zip '*.txt' "$work/sevenzip"
check "7z only when chosen" lacks "$work/out" "λέξη"

(cd "$work/tree/sub dir" && "$bin" 'one.bin' > "$work/out" 2> "$work/err")
check "current folder by default, even with a space" contains "$work/out" "$work/tree/sub dir/deeper/a.zip"

run -f tabs --columns size '*.bin' "$work/tree"
check "tabs layout" bash -c "head -n 1 '$work/out' | grep -q \$'^File\tArchive/Folder\tSize\r\$'"
run -f html '*.bin' "$work/tree"
check "html layout" bash -c "head -n 1 '$work/out' | grep -q '^<html>'"
run -s 8 --columns size '*.*' "$work/tree/sub dir"
check "sorted by size, largest first" bash -c "sed -n 2p '$work/out' | grep -q big.TXT"
run --help
check "help" contains "$work/out" "Usage: quillow-find"

# Data layouts, read back by real parsers. A folder name with a comma and a file name with
# a double quote need CSV quoting and JSON escaping.
mkdir -p "$work/data/a,b"
printf 'q' > "$work/data/a,b/say \"hi\".txt"
cp "$data/zip/basic.zip" "$work/data/"
cp "$data/tar/ustar.tar" "$work/data/"
run -f csv -s 1 '*.*' "$work/data"
check "csv exit 0" test "$rc" -eq 0
check "csv parses" python3 - "$work/out" "$work/data" <<'PY'
import csv, sys
raw = open(sys.argv[1], 'rb').read()
assert raw.count(b'\r\n') == raw.count(b'\n') and raw.endswith(b'\r\n')
rows = list(csv.reader(raw.decode('utf-8').splitlines()))
assert rows[0] == ['File', 'Archive/Folder', 'Modified', 'Size', 'Ratio', 'Packed'], rows[0]
by = {r[0]: r for r in rows[1:]}
assert all(len(r) == 6 for r in rows)
assert by['say "hi".txt'][1] == sys.argv[2] + '/a,b/', by['say "hi".txt']
assert by['big.TXT'][1:] == [sys.argv[2] + '/basic.zip', '3/15/2001 3:18 PM', '6200', '99%', '61']
PY
run -f csv --columns size '*.bin' "$work/data"
check "csv columns" bash -c "head -n 1 '$work/out' | grep -q \$'^File,Archive/Folder,Size\r\$'"
run -f json '*.*' "$work/data"
check "json parses" python3 - "$work/out" "$work/data" <<'PY'
import json, sys
lines = open(sys.argv[1], encoding='utf-8').read().splitlines()
objs = [json.loads(l) for l in lines]
by = {o['file']: o for o in objs}
big = by['big.TXT']
assert (big['size'], big['packed'], big['ratio']) == (6200, 61, 99), big
assert big['modified'] == '2001-03-15T15:18:00' and big['folder'] is False, big
assert big['sizeText'] == '6200' and big['container'] == sys.argv[2] + '/basic.zip'
q = by['say "hi".txt']
assert q['folder'] is True and q['container'].endswith('/a,b/'), q
tar = [o for o in objs if o['container'].endswith('ustar.tar')]
assert tar and all(o['modified'] is None and o['modifiedText'] == '?' for o in tar), tar
assert any(o['ratio'] is None for o in tar), tar
PY
run -f yaml '*.*' "$work/data"
check "unknown format exit 2" test "$rc" -eq 2
# Hostile input: names made by Python's zipfile and by the file system, odd files, bad
# folders, output that cannot be written.
hostile="$work/hostile"
mkdir -p "$hostile"
python3 - "$hostile/names.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("\x1b]0;pwned\x07.txt", "x")
    z.writestr("a\r\nforged\tb.txt", "x")
PY
mkfifo "$hostile/pipe.zip"
touch "$hostile/$(printf 'new\nline.txt')"
mkdir -p "$hostile/$(printf 'caf\xe9')"
touch "$hostile/$(printf 'caf\xe9')/$(printf '\xc4bc.txt')"
run_timed() { timeout 20 "$bin" "$@" > "$work/out" 2> "$work/err"; rc=$?; }
run_timed -f tabs '*.txt *.zip' "$hostile"
check "a pipe named .zip does not hang the search" test "$rc" -eq 0
check "escape sequences are escaped" contains "$work/out" '\x1B]0;pwned\x07.txt'
check "no raw escape reaches the terminal" bash -c "! grep -q \$'\x1b' '$work/out'"
check "CR LF in a name forges no row" contains "$work/out" 'a\r\nforged\tb.txt'
check "newline in a file name is escaped" contains "$work/out" 'new\nline.txt'
check "rows: the header and one per hit" test "$(wc -l < "$work/out")" -eq 7
check "Latin-1 names are written as their bytes" contains "$work/out" "$(printf '\xc4bc.txt\t%s/caf\xe9/' "$hostile")"
run_timed -f csv '*bc.txt' "$hostile"
check "CSV writes them as their bytes too" contains "$work/out" "$(printf '\xc4bc.txt,%s/caf\xe9/' "$hostile")"
run_timed -f json '*bc.txt' "$hostile"
check "JSON shows them as U+FFFD with their bytes beside" contains "$work/out" \
  "$(printf '"file":"\xef\xbf\xbdbc.txt","fileBytes":"xGJjLnR4dA=="')"

run '*.*' "$work/tree" "/no/such/folder"
check "too many texts still exit 2" test "$rc" -eq 2
run '*.*' "$work/tree /no/such/folder $work/tree/notes.txt"
check "missing folder is told" contains "$work/err" '"/no/such/folder": No such file or directory'
check "a file is not a folder" contains "$work/err" 'notes.txt": Not a directory'
check "something found still exits 0" test "$rc" -eq 0
run '*.*' "/no/such/folder"
check "nothing found and a bad folder exits 2" test "$rc" -eq 2
run '*.*' "$(printf '/%.0sxxxxxxxxxx' $(seq 27))"
check "a cut LOOK-IN-TEXT is told" contains "$work/err" "LOOK-IN-TEXT cut at 255 characters"
run "$(printf '%s ' $(seq 101 | sed 's/.*/x/'))" "$work/tree"
check "patterns past the hundredth are told" contains "$work/err" "only the first 100 are used"

run 'nothing-like-this.*' "$work/tree"
check "no rows, no header" test ! -s "$work/out"
run -t '' '*.txt' "$work/tree"
check "refusal says how to choose sources" contains "$work/err" "-t"
(cd "$work/tree" && "$bin" -f tabs 'notes.txt' . > "$work/out" 2> "$work/err")
check "Look-in . gives paths without /./" bash -c "grep -q '$work/tree/' '$work/out' && ! grep -q '/\./' '$work/out'"
"$bin" '*.*' "$work/tree" > /dev/full 2> "$work/err"
check "/dev/full: exit 2" test "$?" -eq 2
check "/dev/full: said on stderr" contains "$work/err" "cannot write"
"$bin" -f tabs '*.*' "$work/tree" > /dev/full 2> "$work/err"
check "/dev/full while streaming: exit 2" test "$?" -eq 2
run --help
check "help tells of --" contains "$work/out" 'follows "--"'

# ZIP central directories: data descriptors listed without the rarity warning, and the
# ZIP-family extensions opened, only with --zip-central.
mkdir -p "$work/central"
cp "$data/zip/streamed-python.zip" "$work/central/lib.jar"
cp "$data/zip/streamed.zip" "$work/central/s.zip"
run -t zip '*.txt' "$work/central"
check "without --zip-central: no .jar, the rarity warning" bash -c \
  "! grep -q lib.jar '$work/out' && grep -q 'rarity' '$work/err'"
run --zip-central -t zip -f tabs '*.txt' "$work/central"
check "--zip-central lists the streamed members" contains "$work/out" "streamed.txt"
check "--zip-central opens a .jar" contains "$work/out" "$(printf 'b.txt\t%s/lib.jar' "$work/central")"
check "--zip-central: no warning" lacks "$work/err" "rarity"
run --help
check "help tells of --zip-central" contains "$work/out" "--zip-central"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
