#!/usr/bin/env bash
# Benchmark (not a test): our zip core against Info-ZIP in the same run, on three corpora:
#  - mixed: 2,000 generated files of about 117 MB (text, binary records, noise): add at
#    level 9 (ours against `zip -9 -r -q`) and extract (against `unzip -q -o`);
#  - real: a copy of /usr/include with some already-compressed files from /usr/share (.gz,
#    .jar), at least 5,000 files: add at levels 6 and 9, and extract;
#  - small: 60,000 generated text files of 0.1-4 KB: add at level 6, then an update in
#    which nothing is newer (ours -u against `zip -u -r -q`) on each side's own archive.
# Each run times ours and theirs back to back, in turns, so a change of load meets both;
# prints the medians of wall time and of CPU time (user + system) with their ratios, the
# archives' sizes and member counts, and the load before and after.
#   bench/zip/run.sh [RUNS]      (default 3; `nice -n -5` it on a busy machine)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target zip_tool >/dev/null
tool=$PWD/build/tests/zip/zip_tool
work=bench/.corpus-zip
# Corpora made by an older generator are made again.
stamp="$(sha256sum bench/zip/make_corpus.py | cut -c1-16) real-1"
if [ "$(cat "$work/stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$work"
  mkdir -p "$work/real"
  python3 bench/zip/make_corpus.py "$work/mixed"
  python3 bench/zip/make_corpus.py --small 60000 "$work/small"
  cp -rL /usr/include "$work/real/include"
  mkdir -p "$work/real/packed"
  # Already compressed: the first 600 .gz and every .jar, in name order.
  find /usr/share -type f \( -name '*.gz' -o -name '*.jar' \) -size +1k 2>/dev/null | LC_ALL=C sort |
    awk '/\.jar$/ || gz++ < 600' | while read -r f; do
      cp "$f" "$work/real/packed/$(echo "${f#/usr/share/}" | tr / _)"
    done
  echo "$stamp" >"$work/stamp"
fi
cd "$work"
python3 - "$tool" "$runs" <<'PY'
import hashlib, os, shutil, statistics, subprocess, sys, time, zipfile
tool, runs = sys.argv[1], int(sys.argv[2])

def timed(cmd, cwd=None, ok=(0,)):
    before = os.times()
    t = time.perf_counter()
    r = subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - t
    after = os.times()
    if r.returncode not in ok:
        sys.exit(f"{cmd} failed with {r.returncode}")
    cpu = (after.children_user - before.children_user) + (after.children_system - before.children_system)
    return wall, cpu

def fresh(path):
    if not path: return
    shutil.rmtree(path, ignore_errors=True)
    if path.endswith(".zip"):
        if os.path.exists(path): os.remove(path)
    else:
        os.makedirs(path)

def pair(ours, theirs, ok=(0,)):
    """Runs ours and theirs alternately; each is (command, path to empty first, cwd)."""
    got = {"ours": [], "theirs": []}
    for i in range(runs):
        for who, (cmd, clean, cwd) in (("ours", ours), ("theirs", theirs))[:: 1 if i % 2 == 0 else -1]:
            fresh(clean)
            got[who].append(timed(cmd, cwd, ok))
    med = lambda who, k: statistics.median(x[k] for x in got[who])
    return [(med("ours", k), med("theirs", k)) for k in (0, 1)]

def line(label, other, result):
    (wall, cpu) = result
    print(f"{label:16} wall ours {wall[0]:7.3f} s  {other} {wall[1]:7.3f} s  ratio {wall[0] / wall[1]:.3f}"
          f"   cpu ours {cpu[0]:7.3f} s  {other} {cpu[1]:7.3f} s  ratio {cpu[0] / cpu[1]:.3f}")

def files(zip_path):
    return sum(1 for i in zipfile.ZipFile(zip_path).infolist() if not i.is_dir())

def sizes(label, ours, theirs):
    a, b = os.path.getsize(ours), os.path.getsize(theirs)
    print(f"{label:16} size ours {a:,} B  zip {b:,} B  ratio {a / b:.4f}"
          f"   files ours {files(ours):,}  zip {files(theirs):,}")

def add(corpus, level, tag):
    z = (f"ours-{tag}.zip", f"theirs-{tag}.zip")
    r = pair(([tool, "add", z[0], f"-{level}", "-r", corpus], z[0], None),
             (["zip", f"-{level}", "-r", "-q", z[1], corpus], z[1], None))
    line(f"{tag} add -{level}", "zip  ", r)
    subprocess.run(["unzip", "-tqq", z[0]], check=True, stdout=subprocess.DEVNULL)
    sizes(f"{tag} add -{level}", *z)
    return z

def extract(corpus, theirs_zip, tag):
    r = pair(([tool, "extract", "../" + theirs_zip, "-d", "-o"], "x-ours", "x-ours"),
             (["unzip", "-q", "-o", "../" + theirs_zip], "x-unzip", "x-unzip"))
    line(f"{tag} extract", "unzip", r)
    subprocess.run(["diff", "-r", "x-ours/" + corpus, corpus], check=True)

def digest(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest()

def load():
    return " ".join(f"{x:.2f}" for x in os.getloadavg())

print(f"load before: {load()}")
add("mixed", 9, "mixed")
extract("mixed", "theirs-mixed.zip", "mixed")
add("real", 6, "real")
add("real", 9, "real")
extract("real", "theirs-real.zip", "real")
ours, theirs = add("small", 6, "small")
before = digest(ours), digest(theirs)
# Nothing is newer: ours answers 1 (no file processed), zip 12 (nothing to do).
r = pair(([tool, "add", ours, "-6", "-u", "-r", "small"], None, None),
         (["zip", "-6", "-u", "-r", "-q", theirs, "small"], None, None), ok=(0, 1, 12))
line("small update", "zip  ", r)
if (digest(ours), digest(theirs)) != before:
    sys.exit("an update with nothing newer changed an archive")
print(f"load after: {load()}")
for corpus in ("mixed", "real", "small"):
    names = [os.path.join(d, f) for d, _, fs in os.walk(corpus) for f in fs]
    size = sum(os.path.getsize(f) for f in names)
    print(f"(corpus {corpus}: {len(names):,} files, {size / 1e6:.1f} MB)")
print(f"(medians of {runs} runs each)")
PY
