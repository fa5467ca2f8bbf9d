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
echo "exports as expected"
