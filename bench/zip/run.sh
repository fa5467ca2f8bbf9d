#!/usr/bin/env bash
# Benchmark (not a test): our zip core against Info-ZIP in the same run, on a corpus of 2,000
# mixed files of about 110 MB. Adds at level 9 (ours vs `zip -9 -r -q`), extracts the same
# archive (ours vs `unzip -q -o`), and compares the sizes of the two archives. Each run times
# ours and theirs back to back, so a change of load meets both; prints the medians of wall
# time and of CPU time (user + system) with their ratios, and the load before and after.
#   bench/zip/run.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target zip_tool >/dev/null
tool=$PWD/build/tests/zip/zip_tool
work=bench/.corpus-zip
# A corpus made by an older generator is made again.
stamp=$(sha256sum bench/zip/make_corpus.py | cut -c1-16)
if [ "$(cat "$work/stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$work"
  mkdir -p "$work"
  python3 bench/zip/make_corpus.py "$work/corpus"
  echo "$stamp" >"$work/stamp"
fi
cd "$work"
python3 - "$tool" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, time
tool, runs = sys.argv[1], int(sys.argv[2])

def timed(cmd, cwd=None):
    before = os.times()
    t = time.perf_counter()
    subprocess.run(cmd, check=True, cwd=cwd, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - t
    after = os.times()
    cpu = (after.children_user - before.children_user) + (after.children_system - before.children_system)
    return wall, cpu

def fresh(path):
    shutil.rmtree(path, ignore_errors=True)
    if path.endswith(".zip"):
        if os.path.exists(path): os.remove(path)
    else:
        os.makedirs(path)

def pair(ours, theirs):
    """Runs ours and theirs alternately; each is (command, folder to empty first, cwd)."""
    got = {"ours": [], "theirs": []}
    for i in range(runs):
        for who, (cmd, clean, cwd) in (("ours", ours), ("theirs", theirs))[:: 1 if i % 2 == 0 else -1]:
            fresh(clean)
            got[who].append(timed(cmd, cwd))
    med = lambda who, k: statistics.median(x[k] for x in got[who])
    return [(med("ours", k), med("theirs", k)) for k in (0, 1)]

print(f"load before: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} {os.getloadavg()[2]:.2f}")
add = pair(([tool, "add", "ours.zip", "-9", "-r", "corpus"], "ours.zip", None),
           (["zip", "-9", "-r", "-q", "theirs.zip", "corpus"], "theirs.zip", None))
x = pair(([tool, "extract", "../theirs.zip", "-d", "-o"], "x-ours", "x-ours"),
         (["unzip", "-q", "-o", "../theirs.zip"], "x-unzip", "x-unzip"))
subprocess.run(["diff", "-r", "x-ours/corpus", "corpus"], check=True)
subprocess.run(["unzip", "-tqq", "ours.zip"], check=True)
s_ours, s_zip = os.path.getsize("ours.zip"), os.path.getsize("theirs.zip")
for label, other, (wall, cpu) in (("add -9 ", "zip  ", add), ("extract", "unzip", x)):
    print(f"{label}  wall ours {wall[0]:7.3f} s  {other} {wall[1]:7.3f} s  ratio {wall[0] / wall[1]:.3f}"
          f"   cpu ours {cpu[0]:7.3f} s  {other} {cpu[1]:7.3f} s  ratio {cpu[0] / cpu[1]:.3f}")
print(f"size     ours {s_ours:,} B   zip {s_zip:,} B   ratio {s_ours / s_zip:.4f}")
print(f"load after: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} {os.getloadavg()[2]:.2f}")
files = [os.path.join(d, f) for d, _, fs in os.walk("corpus") for f in fs]
size = sum(os.path.getsize(f) for f in files)
print(f"(medians of {runs} runs each; corpus {len(files):,} files, {size / 1e6:.1f} MB)")
PY
