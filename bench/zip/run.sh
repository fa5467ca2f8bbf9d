#!/usr/bin/env bash
# Benchmark (not a test): our zip core against Info-ZIP in the same run, on a corpus of 2,000
# mixed files of about 110 MB. Adds at level 9 (ours vs `zip -9 -r -q`), extracts the same
# archive (ours vs `unzip -q -o`), and compares the sizes of the two archives. Prints the
# median of each and the ratios.
#   bench/zip/run.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target zip_tool >/dev/null
tool=$PWD/build/tests/zip/zip_tool
work=bench/.corpus-zip
[ -d "$work/corpus" ] || python3 bench/zip/make_corpus.py "$work/corpus"
cd "$work"
python3 - "$tool" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, time
tool, runs = sys.argv[1], int(sys.argv[2])

def timed(cmd, before=None, cwd=None):
    times = []
    for _ in range(runs):
        if before: before()
        t = time.perf_counter()
        subprocess.run(cmd, check=True, cwd=cwd, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - t)
    return statistics.median(times)

def fresh(path):
    def go():
        shutil.rmtree(path, ignore_errors=True)
        if path.endswith(".zip"):
            if os.path.exists(path): os.remove(path)
        else:
            os.makedirs(path)
    return go

ours_add = timed([tool, "add", "ours.zip", "-9", "-r", "corpus"], fresh("ours.zip"))
zip_add = timed(["zip", "-9", "-r", "-q", "theirs.zip", "corpus"], fresh("theirs.zip"))
ours_x = timed([tool, "extract", "../theirs.zip", "-d", "-o"], fresh("x-ours"), cwd="x-ours")
unzip_x = timed(["unzip", "-q", "-o", "../theirs.zip"], fresh("x-unzip"), cwd="x-unzip")
subprocess.run(["diff", "-r", "x-ours/corpus", "corpus"], check=True)
s_ours, s_zip = os.path.getsize("ours.zip"), os.path.getsize("theirs.zip")
print(f"add -9      ours {ours_add:7.3f} s   zip   {zip_add:7.3f} s   ratio {ours_add / zip_add:.3f}")
print(f"extract     ours {ours_x:7.3f} s   unzip {unzip_x:7.3f} s   ratio {ours_x / unzip_x:.3f}")
print(f"size        ours {s_ours:,} B   zip {s_zip:,} B   ratio {s_ours / s_zip:.4f}")
print(f"(medians of {runs} runs each)")
PY
