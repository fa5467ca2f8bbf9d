#!/usr/bin/env bash
# Our archives against Info-ZIP unzip, 7-Zip and bsdtar, and their archives against our core:
# each must pass the other side's test and extract byte-identical.
#   interop_test.sh ZIP_TOOL
set -euo pipefail
tool=$(realpath "$1")
for t in zip unzip 7zz bsdtar python3; do
  command -v "$t" >/dev/null || { echo "skipped: $t is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
same() { diff -r "$1" "$2" >/dev/null || fail "$3: $2 differs from $1"; }

mkdir -p src/sub/deeper src/emptydir
seq 1 20000 > src/text.txt
head -c 200000 /dev/urandom > src/noise.bin
: > src/empty.dat
echo "deep" > "src/sub/deeper/with space.txt"
cp src/text.txt src/sub/copy.txt

# Ours, checked and extracted by the others.
check_ours() {  # name expected-tree [password]
  local z=$1 want=$2 pw=${3:-}
  unzip -tqq ${pw:+-P "$pw"} "$z" >/dev/null || fail "unzip -t $z"
  7zz t ${pw:+-p"$pw"} "$z" >/dev/null || fail "7zz t $z"
  bsdtar -tf "$z" >/dev/null || fail "bsdtar -tf $z"
  rm -rf x && mkdir -p x/u x/7 x/b
  unzip -qq ${pw:+-P "$pw"} "$z" -d x/u && same "$want" x/u/src "unzip $z"
  7zz x ${pw:+-p"$pw"} -ox/7 "$z" >/dev/null && same "$want" x/7/src "7zz $z"
  bsdtar ${pw:+--passphrase "$pw"} -xf "$z" -C x/b && same "$want" x/b/src "bsdtar $z"
}
"$tool" add stored.zip -0 -r src >/dev/null && check_ours stored.zip src
"$tool" add deflated.zip -9 -r src >/dev/null && check_ours deflated.zip src
"$tool" add crypt.zip -6 -r -e 'pa ss' src >/dev/null && check_ours crypt.zip src 'pa ss'

cp -r src want
cp deflated.zip deleted.zip
"$tool" delete deleted.zip '*.bin' >/dev/null || fail "delete"
rm want/noise.bin
check_ours deleted.zip want

cp deflated.zip updated.zip
sleep 2  # DOS times count in two-second steps
echo "changed" > src/text.txt && echo "changed" > want/text.txt
echo "new" > src/new.txt && echo "new" > want/new.txt
cp src/noise.bin want/
"$tool" add updated.zip -u -r src >/dev/null || fail "update"
check_ours updated.zip want
cp deflated.zip freshened.zip
"$tool" add freshened.zip -f -r src >/dev/null || fail "freshen"
rm want/new.txt
check_ours freshened.zip want
cp src/new.txt want/

# Names: UTF-8 ones come out as written through unzip and Python, a name in another code page
# (Latin-1 bytes on the disk) is stored in UTF-8, and case-only twins are both kept.
mkdir names && echo u > names/Makefile && echo l > names/makefile && echo e > "names/été.txt"
echo c > names/$'caf\xe9.txt'
"$tool" add names.zip -r names 2>/dev/null >/dev/null || fail "add of names"
want=$'names/Makefile\nnames/café.txt\nnames/makefile\nnames/été.txt'
got=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' \
      names.zip) || fail "python zipfile cannot open names.zip"
[ "$got" = "$want" ] || fail "python zipfile names: $got"
rm -rf x && mkdir x && unzip -qq names.zip -d x || fail "unzip names.zip"
got=$(cd x && find names -type f | LC_ALL=C sort)
[ "$got" = "$want" ] || fail "unzip names: $got"
[ "$(cat x/names/makefile)" = l ] && [ "$(cat x/names/Makefile)" = u ] || fail "case twins mixed up"

# Theirs, extracted by us.
extract_theirs() {  # name expected-tree-inside [password]
  local z=$1 want=$2 pw=${3:-}
  rm -rf y && mkdir y
  (cd y && "$tool" extract "../$z" -d ${pw:+-p "$pw"} >/dev/null) || fail "our extract of $z"
  same "$want" "y/$want" "our extract of $z"
}
zip -qr -9 iz9.zip src && extract_theirs iz9.zip src
zip -qr -0 iz0.zip src && extract_theirs iz0.zip src
zip -qr -e -P secret izcrypt.zip src && extract_theirs izcrypt.zip src secret
zip -qr -fd izdesc.zip src && extract_theirs izdesc.zip src
cat src/text.txt | zip -q streamed.zip -
rm -rf y && mkdir y && (cd y && "$tool" extract ../streamed.zip >/dev/null) &&
  cmp -s y/- src/text.txt || fail "our extract of a streamed member"
7zz a -tzip -mm=Deflate -mx=9 7z.zip src >/dev/null && extract_theirs 7z.zip src

# A method we do not handle is named, and the rest still comes out.
seq 1 5000 > bz.txt  # compressible, or 7-Zip would store it
7zz a -tzip -mm=BZip2 mixed.zip bz.txt >/dev/null
7zz a -tzip -mm=Deflate mixed.zip src/sub/copy.txt >/dev/null
rm -rf y && mkdir y
msg=$(cd y && "$tool" extract ../mixed.zip -d 2>&1 >/dev/null) || fail "mixed archive extracted nothing"
grep -q "bz.txt: compression method 12 not supported" <<<"$msg" || fail "no message for BZip2: $msg"
cmp -s y/src/sub/copy.txt src/sub/copy.txt || fail "deflated member beside the BZip2 one"

if ((failures)); then echo "$failures failure(s)"; exit 1; fi
echo "all interoperability checks passed"
