#!/usr/bin/env bash
# Benchmark (not a test): extracting one member that nests DEPTH folders (default 2,000, as
# deep as a Linux path goes), ours against `unzip -q -o` back to back in each run; prints
# the medians of wall time, their ratio and the load. The cost of checking the folders of
# such a name should grow with the folders made, not with their square or cube.
#   bench/zip/deep_run.sh [DEPTH] [RUNS]      (TOOL=path/to/zip_tool to time another build)
set -euo pipefail
cd "$(dirname "$0")/../.."
depth=${1:-2000}
runs=${2:-5}
if [ -z "${TOOL:-}" ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j2 --target zip_tool >/dev/null
  TOOL=$PWD/build/tests/zip/zip_tool
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$TOOL" "$depth" "$runs" "$work" <<'PY'
import os, statistics, subprocess, sys, time, zipfile
tool, depth, runs, work = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
archive = os.path.join(work, "deep.zip")
with zipfile.ZipFile(archive, "w") as z:
    z.writestr("d/" * depth + "f.txt", "deep\n")

def timed(cmd, folder):
    subprocess.run(["rm", "-rf", folder], check=True)  # too deep for shutil.rmtree
    os.makedirs(folder)
    t = time.perf_counter()
    subprocess.run(cmd, check=True, cwd=folder, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - t
    assert os.path.exists(os.path.join(folder, "d/" * depth + "f.txt"))
    return wall

print(f"load before: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
got = {"ours": [], "unzip": []}
cmds = {"ours": [tool, "extract", archive, "-d", "-o"], "unzip": ["unzip", "-q", "-o", archive]}
for i in range(runs):
    for who in (("ours", "unzip") if i % 2 == 0 else ("unzip", "ours")):
        got[who].append(timed(cmds[who], os.path.join(work, who)))
ours, theirs = statistics.median(got["ours"]), statistics.median(got["unzip"])
print(f"one member nesting {depth} folders, median of {runs}: ours {ours:.3f} s, "
      f"unzip {theirs:.3f} s, ratio {ours / theirs:.2f}")
print(f"load after: {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
PY
