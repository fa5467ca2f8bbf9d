#!/usr/bin/env bash
# Runs the archive-reader fuzz target (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) for the given number of seconds, seeded with the test archives.
# Any crash, leak, overrun or timeout fails the run; the input that did it is kept in
# build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOW_FUZZ=ON -DQUILLOW_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_readers fuzz_unzip -j"$(nproc)"
corpus=build-fuzz/corpus
mkdir -p "$corpus" build-fuzz/artifacts
# Seeds: every test and sample archive (copied, so the fuzzer's additions stay in the build).
find tests/data ../shared/samples -type f ! -name '*.md' ! -name '*.sh' ! -name '*.txt' \
  -size -256k -exec cp -f {} "$corpus"/ \; 2>/dev/null || true
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
ASAN_OPTIONS=detect_leaks=1 \
  build-fuzz/fuzz/fuzz_readers "$corpus" -max_total_time="$((seconds - seconds / 4))" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1

# The unzip core gets a quarter of the time, seeded with the ZIP files alone. Its inputs
# carry one leading byte of options (folder names, test only, overwrite, password, delete).
unzip_corpus=build-fuzz/corpus-unzip
mkdir -p "$unzip_corpus"
find tests/data ../shared/samples -type f \( -iname '*.zip' -o -iname '*.exe' \) -size -256k |
  while read -r f; do
    for mode in 01 13 1f; do printf "\\x$mode" | cat - "$f" > "$unzip_corpus/$mode-$(basename "$f")"; done
  done
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
ASAN_OPTIONS=detect_leaks=1 \
  build-fuzz/fuzz/fuzz_unzip "$unzip_corpus" -max_total_time="$((seconds / 4))" -timeout=10 \
  -rss_limit_mb=2048 -max_len=65536 -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1

# The ZIP component's listing: a small reader, an eighth of the time, seeded with the ZIP
# and program files.
cmake --build build-fuzz --target fuzz_listing -j"$(nproc)"
listing_corpus=build-fuzz/corpus-listing
mkdir -p "$listing_corpus"
find tests/data ../shared/samples -type f \( -iname '*.zip' -o -iname '*.exe' \) -size -256k \
  -exec cp -f {} "$listing_corpus"/ \; 2>/dev/null || true
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
ASAN_OPTIONS=detect_leaks=1 \
  build-fuzz/fuzz/fuzz_listing "$listing_corpus" -max_total_time="$(( (seconds + 7) / 8 ))" \
  -timeout=10 -rss_limit_mb=2048 -max_len=131072 -artifact_prefix=build-fuzz/artifacts/ \
  -print_final_stats=1
