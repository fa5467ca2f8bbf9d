#!/usr/bin/env bash
# Benchmarks quillow-find against the tools people use today, on one generated corpus
# (made once, then reused): a Folders-only search for *.txt against find -name '*.txt', and
# a ZIP-only and a 7Z-only search, each against 7-Zip listing every archive of that kind, the
# same ZIP-only search reading the central directories (--zip-central) against the local-header
# walk, and both modes on a second corpus of archives whose members carry data descriptors.
# Reports medians and ratios, all
# measured in the same run. RUNS sets the number of timed runs (default 7).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${RUNS:-7}
corpus=${CORPUS:-$root/bench/corpus}
streamed=${STREAMED_CORPUS:-$root/bench/.corpus-streamed}

./scripts/setup.sh --tools >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target quillow-find -j"$(nproc)" >/dev/null
qf=$root/build/src/quillow-find

if [ ! -e "$corpus/.complete" ] || [ ! -e "$corpus/.complete-7z" ]; then
  echo "Generating the corpus in $corpus (once)..."
  [ -e "$corpus/.complete" ] || rm -rf "$corpus"
  python3 bench/make_corpus.py "$corpus"
fi
if [ ! -e "$streamed/.complete" ]; then
  echo "Generating the data-descriptor corpus in $streamed (once)..."
  rm -rf "$streamed"
  python3 bench/make_corpus.py --streamed "$streamed"
fi
echo "Corpus: $(find "$corpus" -type d | wc -l) folders, $(find "$corpus" -type f ! -name '*.zip' ! -name '*.7z' ! -name '.complete*' | wc -l) plain files, $(find "$corpus" -name '*.zip' | wc -l) ZIP archives, $(find "$corpus" -name '*.7z' | wc -l) 7z archives"

# The two sides of each comparison must find the same things.
a=$("$qf" -t folders '*.txt' "$corpus" 2>/dev/null | tail -n +2 | wc -l)
b=$(find "$corpus" -name '*.txt' | wc -l)
c=$(find "$corpus" -iname '*.txt' | wc -l)
echo "Check: quillow-find lists $a *.txt files (letter case ignored); find -iname lists $c, find -name $b"
m=$("$qf" -t zip '*.*' "$corpus" 2>/dev/null | tail -n +2 | wc -l)
echo "Check: quillow-find lists $m ZIP members"
mc=$("$qf" --zip-central -t zip '*.*' "$corpus" 2>/dev/null | tail -n +2 | wc -l)
echo "Check: quillow-find --zip-central lists $mc ZIP members"
# Nothing found is exit status 1: the count is what matters here.
s0=$( ("$qf" -t zip '*.*' "$streamed" 2>/dev/null || true) | tail -n +2 | wc -l)
sw=$( ("$qf" -t zip '*.*' "$streamed" 2>&1 >/dev/null || true) | grep -c 'rarity' || true)
sc=$("$qf" --zip-central -t zip '*.*' "$streamed" 2>/dev/null | tail -n +2 | wc -l)
echo "Check: $(find "$streamed" -name '*.zip' | wc -l) data-descriptor archives: the local walk lists $s0 members ($sw rarity warnings), --zip-central $sc"
s7=$("$qf" -t 7z '*.*' "$corpus" 2>/dev/null | tail -n +2 | wc -l)
t7=$(cd "$corpus" && 7zz l -ba -an '-air!*.7z' | wc -l)
echo "Check: quillow-find lists $s7 7z members; 7zz lists $t7"

json=$(mktemp -d)
trap 'rm -rf "$json"' EXIT
bench() {  # bench NAME COMMAND
  # -i: a search that finds nothing exits 1, and is timed all the same.
  hyperfine -N -i --warmup 1 --runs "$runs" --export-json "$json/$1.json" --style none "$2" >/dev/null
  python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results'][0]; print(f\"{r['median']:.3f}\")" "$json/$1.json"
}

q1=$(bench q-folders "$qf -t folders *.txt $corpus")
f1=$(bench find "find $corpus -name *.txt")
q2=$(bench q-zip "$qf -t zip *.* $corpus")
# 7-Zip's recursive archive wildcard: "l -r *.zip" answers "Cannot find archive" in the
# Debian build (7zz), so every archive below the corpus is named with -air!.
q3=$(bench q-zip-central "$qf --zip-central -t zip *.* $corpus")
s1=$(bench q-streamed "$qf -t zip *.* $streamed")
s2=$(bench q-streamed-central "$qf --zip-central -t zip *.* $streamed")
q7=$(bench q-7z "$qf -t 7z *.* $corpus")
z7=$(bench 7z-7z "bash -c 'cd $corpus && 7zz l -ba -an -air!*.7z >/dev/null'")
z2=$(bench 7z "bash -c 'cd $corpus && 7zz l -ba -an -air!*.zip >/dev/null'")

cpu() {  # mean processor time (user + system) of a timed command
  python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results'][0]; print(f\"{r['user'] + r['system']:.3f}\")" "$json/$1.json"
}
ratio() { python3 -c "import sys; print(f'{float(sys.argv[1])/float(sys.argv[2]):.2f}')" "$1" "$2"; }
echo
echo "Medians of $runs runs (seconds):"
printf '  %-52s %8s\n' "quillow-find -t folders '*.txt'" "$q1"
printf '  %-52s %8s\n' "find -name '*.txt'" "$f1"
printf '  %-52s %8s   (quillow-find / find = %s; target <= 1.5)\n' "" "" "$(ratio "$q1" "$f1")"
printf '  %-52s %8s\n' "quillow-find -t zip '*.*'" "$q2"
printf '  %-52s %8s\n' "7zz l -ba -an -air!*.zip (every archive)" "$z2"
printf '  %-52s %8s   (7z / quillow-find = %s; target >= 3)\n' "" "" "$(ratio "$z2" "$q2")"
printf '  %-52s %8s\n' "quillow-find --zip-central -t zip '*.*'" "$q3"
printf '  %-52s %8s   (central / local walk = %s; target <= 1)\n' "" "" "$(ratio "$q3" "$q2")"
printf '  %-52s %8s   (%s members)\n' "data descriptors: quillow-find -t zip '*.*'" "$s1" "$s0"
printf '  %-52s %8s   (%s members)\n' "data descriptors: quillow-find --zip-central -t zip" "$s2" "$sc"
printf '  %-52s %8s   (processor time %s)\n' "quillow-find -t 7z '*.*'" "$q7" "$(cpu q-7z)"
printf '  %-52s %8s   (processor time %s)\n' "7zz l -ba -an -air!*.7z (every archive)" "$z7" "$(cpu 7z-7z)"
printf '  %-52s %8s   (7z / quillow-find = %s; target >= 5)\n' "" "" "$(ratio "$z7" "$q7")"

# The two ZIP modes once more, run in alternation so that the load of a shared machine falls
# on both alike, and both on the same processor: on a virtual machine one core may run a
# third slower than the other for a while, which would otherwise decide the comparison by
# where each run happened to land. CPU time besides wall time.
echo
echo "Local walk (A) against central directories (B), $runs alternating runs each, on core 0:"
python3 bench/interleaved.py "$runs" "taskset -c 0 $qf -t zip *.* $corpus" \
  "taskset -c 0 $qf --zip-central -t zip *.* $corpus"
