#!/usr/bin/env bash
# The two libraries export exactly their two entry points, by plain undecorated names.
set -euo pipefail
objdump=$1
check() {
  local dll=$1; shift
  local got want
  got=$(LC_ALL=C "$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
  want=$(printf '%s\n' "$@" | sort)
  if [ "$got" != "$want" ]; then
    echo "$dll exports:"; echo "$got"; echo "expected:"; echo "$want"; exit 1
  fi
}
check "$2" ZipDllExec GetZipDllVersion
check "$3" UnzDllExec GetUnzDllVersion
# In the 32-bit build the exported code must be __stdcall (the callee pops its argument).
for pair in "$2:ZipDllExec" "$3:UnzDllExec"; do
  dll=${pair%%:*} name=${pair##*:}
  if LC_ALL=C "$objdump" -f "$dll" | grep -q 'pei-i386'; then
    LC_ALL=C "$objdump" -d "$dll" | grep -A40 "<_${name}@4>:" | grep -q 'ret *\$0x4' ||
      { echo "$name in $dll is not __stdcall"; exit 1; }
  fi
done
echo "exports as expected"
