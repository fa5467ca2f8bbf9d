#!/usr/bin/env bash
# Runs the five fuzz targets (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)
# for the given number of seconds in all: a third for the archive readers, seeded with the test
# archives, a sixth each for the 7z reader (seeded with the 7z fixtures), the texts (patterns,
# folders, names, rows and layouts), the unzip core and the ZIP component's listing.
# Any crash, leak, overrun or timeout fails the run; the input that did it is kept in
# build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOW_FUZZ=ON -DQUILLOW_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_readers fuzz_sevenzip fuzz_texts fuzz_unzip fuzz_listing \
  -j"$(nproc)"
mkdir -p build-fuzz/artifacts
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1
# The time is shared: a third to the archive readers, a sixth each to the 7z reader, the
# texts, the unzip core and the ZIP component's listing.
sixth=$(( (seconds + 5) / 6 ))
readers=$(( seconds - 4 * sixth > 1 ? seconds - 4 * sixth : 1 ))
fuzz() {  # target corpus seconds max-len
  build-fuzz/fuzz/"$1" "$2" -max_total_time="$3" -timeout=10 -rss_limit_mb=2048 -max_len="$4" \
    -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
}

# Seeds: every test and sample archive (copied, so the fuzzer's additions stay in the build).
corpus=build-fuzz/corpus
mkdir -p "$corpus"
find tests/data ../shared/samples -type f ! -name '*.md' ! -name '*.sh' ! -name '*.txt' \
  -size -256k -exec cp -f {} "$corpus"/ \; 2>/dev/null || true
fuzz fuzz_readers "$corpus" "$readers" 65536

# The 7z reader, the one that unpacks (its header), seeded with the 7z fixtures.
mkdir -p build-fuzz/corpus-7z
cp -f tests/data/7z/*.7z build-fuzz/corpus-7z/
fuzz fuzz_sevenzip build-fuzz/corpus-7z "$sixth" 65536

# Untrusted texts: input boxes, names, rows, ordering and every layout.
mkdir -p build-fuzz/corpus-texts
printf '*.txt docs\\*.*\0/a "/b c"\0docs/a.txt\nB.TXT\n\033]0;x\007.txt\n' > build-fuzz/corpus-texts/seed
fuzz fuzz_texts build-fuzz/corpus-texts "$sixth" 4096

# The unzip core, seeded with the ZIP files alone. Its inputs carry one leading byte of
# options (folder names, test only, overwrite, password, delete).
unzip_corpus=build-fuzz/corpus-unzip
mkdir -p "$unzip_corpus"
find tests/data ../shared/samples -type f \( -iname '*.zip' -o -iname '*.exe' \) -size -256k |
  while read -r f; do
    for mode in 01 13 1f; do printf "\\x$mode" | cat - "$f" > "$unzip_corpus/$mode-$(basename "$f")"; done
  done
fuzz fuzz_unzip "$unzip_corpus" "$sixth" 65536

# The ZIP component's own listing, seeded with the ZIP and program files.
listing_corpus=build-fuzz/corpus-listing
mkdir -p "$listing_corpus"
find tests/data ../shared/samples -type f \( -iname '*.zip' -o -iname '*.exe' \) -size -256k \
  -exec cp -f {} "$listing_corpus"/ \; 2>/dev/null || true
fuzz fuzz_listing "$listing_corpus" "$sixth" 131072
