#!/usr/bin/env bash
# The build's check of ZIPSFX.BIN passes the real program part and fails it once a
# local-header signature is planted past byte 14,000 or data is appended behind the image.
set -euo pipefail
cmake=$1 script=$2 stub=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cmake" -DSTUB="$stub" -P "$script"
fails() {
  if "$cmake" -DSTUB="$1" -P "$script" >"$work/out" 2>&1; then
    echo "check passed $1"; exit 1
  fi
  grep -q "$2" "$work/out" || { cat "$work/out"; exit 1; }
}
cp "$stub" "$work/planted"
printf 'PK\003\004' | dd of="$work/planted" bs=1 seek=20001 conv=notrunc status=none
fails "$work/planted" "a local-header signature at byte 20001"
cp "$stub" "$work/early"
printf 'PK\003\004' | dd of="$work/early" bs=1 seek=13000 conv=notrunc status=none
"$cmake" -DSTUB="$work/early" -P "$script"
{ cat "$stub"; printf 'x'; } >"$work/appended"
fails "$work/appended" "but the image ends at"
