#!/usr/bin/env bash
# Prints the results listing under Wine on a real CUPS queue that writes PDF (cups-pdf),
# then checks the PDF's text against the pages the layout predicts: every row on its page
# in order, the header at the top of each page, the Archive/Folder column aligned, the page
# count. Starts its own cupsd on a private socket and stops it again; needs root (the
# cups-pdf backend runs only under a root cupsd) and an X display for Wine (xvfb-run).
# Usage: cups_print_test.sh BUILD-WIN64-FOLDER [PNG-OUT]
set -euo pipefail
build=$(cd "$1" && pwd)
# 77: skipped, for ctest.
if [ "$(id -u)" -ne 0 ] || [ ! -x /usr/sbin/cupsd ] || [ ! -x /usr/lib/cups/backend/cups-pdf ] ||
   ! command -v pdftotext >/dev/null; then
  echo "SKIP: needs root, cupsd, cups-pdf and pdftotext"
  exit 77
fi
png=${2:-}
queue=QuillowPDF
instance=quillowtest  # cups-pdf reads /etc/cups/cups-pdf-<instance>.conf for this queue
work=$(mktemp -d /tmp/quillow-cups.XXXXXX)
conf=/etc/cups/cups-pdf-$instance.conf
cupsd_pid=""
cleanup() {
  if [ -n "$cupsd_pid" ]; then
    kill "$cupsd_pid" 2>/dev/null || true
    # cupsd writes its last files while it shuts down: wait for it before removing them.
    for _ in $(seq 50); do kill -0 "$cupsd_pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$conf"
  if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work" 2>/dev/null || true; fi
}
trap cleanup EXIT

chmod 755 "$work"  # the filters run as the lp user and read the spooled job below it
mkdir -p "$work"/etc/ppd "$work"/spool/tmp "$work"/cache "$work"/state "$work"/log "$work"/pdf
chmod 1777 "$work"/spool/tmp "$work"/pdf
cat >"$work/etc/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel warn
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
CONF
cat >"$work/etc/cups-files.conf" <<CONF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
CONF
printf 'Out %s/pdf\nAnonDirName %s/pdf\nLabel 0\n' "$work" "$work" >"$conf"

/usr/sbin/cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" &
cupsd_pid=$!
export CUPS_SERVER="$work/cups.sock"
for _ in $(seq 50); do [ -S "$CUPS_SERVER" ] && break; sleep 0.1; done
lpadmin -p "$queue" -v "cups-pdf:/$instance" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E \
  2>/dev/null
lpadmin -d "$queue"

# Wine lists the CUPS queues when its printing support loads; the test prints on the
# default one and writes the pages it expects.
export QUILLOW_PRINT_EXPECTED="$work/expected.txt"
"$build/wine-run.sh" "$build/tests/gui/gui_tests.exe" \
  --gtest_filter=SystemPrinter.PrintsTheLayoutOnTheDefaultPrinter
[ -s "$QUILLOW_PRINT_EXPECTED" ] || { echo "FAIL: the print test wrote no expected pages"; exit 1; }

pdf=""
for _ in $(seq 120); do
  pdf=$(ls "$work"/pdf/*.pdf 2>/dev/null | head -1 || true)
  [ -n "$pdf" ] && ! lpstat -o "$queue" | grep -q . && break
  sleep 0.5
done
[ -n "$pdf" ] || { echo "FAIL: no PDF came out of the queue"; tail "$work/log/error_log"; exit 1; }
pdftotext -layout "$pdf" "$work/printed.txt"
if [ -n "$png" ]; then pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$pdf" "${png%.png}"; fi

python3 - "$work/expected.txt" "$work/printed.txt" <<'PY'
import sys
expected = [p.split("\n") for p in open(sys.argv[1]).read().split("=== page\n")[1:]]
expected = [[line for line in page if line] for page in expected]
printed = open(sys.argv[2]).read().split("\f")
if printed and not printed[-1].strip():
    printed = printed[:-1]
problems = []
if len(printed) != len(expected):
    problems.append(f"{len(printed)} pages printed, the layout predicts {len(expected)}")
for n, (want, page) in enumerate(zip(expected, printed), 1):
    lines = [line for line in page.split("\n") if line.strip()]
    # pdftotext guesses the spaces of a gap from its width, one more or less: compare the
    # header with its gap shrunk to one blank; rows have no blanks to guess.
    squeeze = lambda s: " ".join(s.split())
    got = [squeeze(line) for line in lines]
    if got != [squeeze(w) for w in want]:
        problems.append(f"page {n}: text differs, first lines {got[:3]} vs {want[:3]}")
        continue
    # Every row's Archive/Folder text begins in one column, under the header's caption.
    columns = {line.index("C:\\") for line in lines[1:]}
    header = lines[0].index("Archive/Folder")
    if len(columns) != 1 or abs(header - min(columns)) > 1:
        problems.append(f"page {n}: columns not aligned: rows {sorted(columns)}, header {header}")
if problems:
    print("FAIL:", *problems, sep="\n  ")
    sys.exit(1)
rows = sum(len(p) - 1 for p in expected)
print(f"PASS: {len(printed)} pages, {rows} rows, header on every page, columns aligned")
PY
