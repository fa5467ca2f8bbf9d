#!/usr/bin/env bash
# Installs what building and testing Quillow needs on a Debian 12 machine; quick when all
# of it is there already. With --tools it also installs the archivers that regenerate the
# test archives (tests/data/make-*.sh) and the programs the benchmark compares against.
set -euo pipefail

packages=(
  cmake g++ make python3
  googletest libgtest-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev zlib1g-dev
  wine wine64 xvfb xauth x11-utils
  clang libclang-rt-14-dev clang-format
  cups printer-driver-cups-pdf poppler-utils
  # Independent ZIP readers and writers the interoperability test checks our libraries against.
  zip unzip 7zip libarchive-tools
)
if [ "${1:-}" = "--tools" ]; then
  packages+=(zip unzip arj jlha-utils arc gcab deutex tar 7zip unar libarchive-tools
             imagemagick hyperfine findutils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
