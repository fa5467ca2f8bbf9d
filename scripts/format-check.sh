#!/usr/bin/env bash
# Fails when any C or C++ source differs from the repository's .clang-format.
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files 'src/*' 'tests/*' 'fuzz/*' 'bench/*' 'libs/*' |
  grep -E '\.(c|cc|cpp|h|hpp)$')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run -Werror "${files[@]}"
  echo "format: ${#files[@]} files clean"
fi
