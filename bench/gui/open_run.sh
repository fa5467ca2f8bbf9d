#!/usr/bin/env bash
# Benchmark (not a test): opening one member of a 10,000-member ZIP archive of about 500 MB
# by double click, under Wine and Xvfb. Info-ZIP `zip` makes the archive in a scratch folder
# under /tmp (9,999 members of random data, stored, and one text member in the middle that
# is deflated, so only it is inflated), plus one.zip holding that member alone as the
# baseline; the folder is deleted afterwards. Prints the median of RUNS double clicks for each
# archive, their ratio, and the big archive's listing and extraction times.
#   bench/gui/open_run.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
build=${BUILD:-build-win64}
work=$(mktemp -d /tmp/quillow-open-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
cmake -S . -B "$build" --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target open_bench unzdll -j2 >/dev/null

member="d25/Target Report.TXT"
python3 - "$work/files" "$member" <<'PY'
import os, sys
root, member = sys.argv[1], sys.argv[2]
sizes = [20000 + (i * 7919) % 60000 for i in range(9999)]  # 20-80 KB, about 500 MB in all
for i, size in enumerate(sizes):
    d = os.path.join(root, "d%02d" % (i // 200))
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "f%05d.bin" % i), "wb") as f:
        f.write(os.urandom(size))
    if i == 5000:
        os.makedirs(os.path.dirname(os.path.join(root, member)), exist_ok=True)
        with open(os.path.join(root, member), "w") as f:
            for n in range(40000):
                f.write("line %d of the report that is opened\n" % n)
PY
# Members in the order the list names them; random data is stored (-n), the text deflated.
(cd "$work/files" && find . -type f | sed 's|^\./||' | sort >../names &&
  zip -q -1 -n .bin ../big.zip -@ <../names && zip -q -1 ../one.zip "$member")
rm -rf "$work/files" "$work/names"
ls -l "$work"/*.zip | awk '{print $5, $9}'
unzip -l "$work/big.zip" | tail -1

export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all
folder=$(winepath -w "$work") dlls=$(winepath -w "$PWD/$build/src/app")
# The Wine server that winepath started has no display; a program started under Xvfb while
# it runs could make no window.
wineserver -k >/dev/null 2>&1 || true
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/wine-run.sh" "$build/bench/gui/open_bench.exe" "$folder" "$member" "$dlls" "$runs"
