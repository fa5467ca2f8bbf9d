#!/usr/bin/env bash
# Runs the two fuzz targets (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)
# for the given number of seconds in all: two thirds for the archive readers, seeded with the
# test archives, one third for the texts (patterns, folders, names, rows and layouts).
# Any crash, leak, overrun or timeout fails the run; the input that did it is kept in
# build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOW_FUZZ=ON -DQUILLOW_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_readers fuzz_texts -j"$(nproc)"
corpus=build-fuzz/corpus
mkdir -p "$corpus" build-fuzz/artifacts
# Seeds: every test and sample archive (copied, so the fuzzer's additions stay in the build).
find tests/data ../shared/samples -type f ! -name '*.md' ! -name '*.sh' ! -name '*.txt' \
  -size -256k -exec cp -f {} "$corpus"/ \; 2>/dev/null || true
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1
readers=$((seconds * 2 / 3))
texts=$((seconds - readers))
build-fuzz/fuzz/fuzz_readers "$corpus" -max_total_time="$readers" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
mkdir -p build-fuzz/corpus-texts
printf '*.txt docs\\*.*\0/a "/b c"\0docs/a.txt\nB.TXT\n\033]0;x\007.txt\n' > build-fuzz/corpus-texts/seed
build-fuzz/fuzz/fuzz_texts build-fuzz/corpus-texts -max_total_time="$texts" -timeout=10 \
  -rss_limit_mb=2048 -max_len=4096 -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1
