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
  # The 7z reader decodes compressed archive headers with liblzma; the Windows builds get it
  # from the same Debian source, built below.
  liblzma-dev dpkg-dev
  cups printer-driver-cups-pdf poppler-utils
  # Independent ZIP readers and writers the interoperability test checks our libraries against.
  zip unzip 7zip libarchive-tools
)
if [ "${1:-}" = "--tools" ]; then
  packages+=(zip unzip arj jlha-utils arc gcab deutex tar 7zip unar libarchive-tools
             imagemagick hyperfine findutils)
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# liblzma for the two Windows builds: Debian ships it for Linux only, so it is built from
# Debian's own xz-utils source package with mingw-w64, once, into /usr/local/<triplet>, where
# the toolchain files look. A stamp names the source version built, and a later run skips
# the build when it is there.
for triplet in x86_64-w64-mingw32 i686-w64-mingw32; do
  prefix=/usr/local/$triplet
  [ -f "$prefix/lib/liblzma.a" ] && [ -f "$prefix/share/quillow-xz-stamp" ] && continue
  work=$(mktemp -d)
  (
    cd "$work"
    # Debian's source packages, fetched through an apt state of our own so that the
    # machine's apt configuration is left as it is.
    mkdir -p apt/lists/partial apt/parts
    cat >apt/parts/debian-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    aptopts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/apt/parts"
             -o "Dir::State::Lists=$work/apt/lists" -o APT::Sandbox::User=root)
    apt-get "${aptopts[@]}" update -qq
    apt-get "${aptopts[@]}" source --download-only -qq xz-utils
    # apt has checked every file against the signed index; --no-check only skips the .dsc's
    # own signature, whose keyring is not installed.
    dpkg-source -x --no-check xz-utils_*.dsc src >/dev/null
    xz_version=$(sed -n 's/^Version: //p' xz-utils_*.dsc)
    cd src
    echo "Building liblzma $xz_version for $triplet"
    # The compiler's chatter goes to a log, shown only when the build fails.
    {
      ./configure -q --host="$triplet" --prefix="$prefix" --enable-static --disable-shared \
        --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
        --disable-scripts --disable-doc --disable-nls --enable-threads=no \
        CC="$triplet-gcc-posix" &&
        make -s -C src/liblzma -j"$(nproc)"
    } >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
    $SUDO make -s -C src/liblzma install >/dev/null
    $SUDO mkdir -p "$prefix/share"
    echo "$xz_version" | $SUDO tee "$prefix/share/quillow-xz-stamp" >/dev/null
  )
  rm -rf "$work"
done
