#!/usr/bin/env bash
# Runs every fuzz target (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer) for
# the given number of seconds in all, shared evenly: one target per archive reader family,
# the unzip core, the ZIP component's listing, the self-extractor's parsers and the texts.
# The targets, their dictionaries and their seeds are listed by fuzz/CMakeLists.txt; seeds
# come from tests/data alone. Any crash, leak, overrun or timeout fails the run; the input
# that did it is kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOW_FUZZ=ON -DQUILLOW_TESTS=OFF >/dev/null
# name max-len dictionary seed-patterns option-prefixes, one target a line
mapfile -t targets < build-fuzz/fuzz/targets.txt
names=()
for line in "${targets[@]}"; do names+=("${line%% *}"); done
cmake --build build-fuzz --target "${names[@]}" -j"$(nproc)"
mkdir -p build-fuzz/artifacts
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1

# Whole seconds each, the remainder to the first ones; at least one second each.
count=${#targets[@]}
each=$((seconds / count))
extra=$((seconds % count))
index=0
for line in "${targets[@]}"; do
  read -r name max_len dict patterns prefixes <<<"$line"
  time=$((each + (index < extra ? 1 : 0)))
  time=$((time > 0 ? time : 1))
  index=$((index + 1))

  # Seeds: the test files matching the patterns, copied so the fuzzer's additions stay in
  # the build; each with every option byte in front of it when the target takes one.
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  find_args=()
  IFS=, read -r -a globs <<<"$patterns"
  for glob in "${globs[@]}"; do find_args+=(-o -iname "$glob"); done
  find tests/data -type f \( "${find_args[@]:1}" \) -size -256k -print0 |
    while IFS= read -r -d '' seed; do
      if [ "$prefixes" = - ]; then
        cp -f "$seed" "$corpus/"
      else
        IFS=, read -r -a bytes <<<"$prefixes"
        for b in "${bytes[@]}"; do
          printf "\\x$b" | cat - "$seed" >"$corpus/$b-$(basename "$seed")"
        done
      fi
    done

  options=(-max_total_time="$time" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len"
    -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1)
  [ "$dict" = - ] || options+=(-dict="fuzz/dict/$dict")
  echo "== $name: ${time}s, $(find "$corpus" -type f | wc -l) inputs"
  build-fuzz/fuzz/"$name" "$corpus" "${options[@]}"
done
