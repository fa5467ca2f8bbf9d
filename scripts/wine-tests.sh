#!/usr/bin/env bash
# Runs the tests of a 64-bit Windows build under Wine, with one Wine server and one set of
# Wine's own background processes for the whole run (instead of one per test program).
# Run it under a display (xvfb-run). Usage: wine-tests.sh BUILD-FOLDER [ctest options]
set -euo pipefail
build=$1
shift
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k >/dev/null 2>&1 || true
# A new prefix is made first (about ten seconds); the server then stays for the whole run.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine wineboot -i </dev/null >/dev/null 2>&1 || true
# Wine's shell folder dialog now and then does not report a selection change that the
# tests of the real dialog wait for: those get up to two more runs before they fail. Every
# other test runs once, so that a test that fails now and then is seen.
flaky='ShellDialogTest'
status=0
restarts="$build/wine-restarts.log"
rm -f "$restarts"
ctest --test-dir "$build" --output-on-failure "$@" -E "$flaky" || status=$?
retry=$(ctest --test-dir "$build" -N "$@" | sed -n 's/^ *Test *#[0-9]*: *//p' | grep -E "$flaky" |
        sed 's/[.]/\\./g' | paste -sd'|' || true)
if [ -n "$retry" ]; then
  ctest --test-dir "$build" --output-on-failure --repeat until-pass:3 -R "^($retry)\$" || status=$?
fi
if [ -s "$restarts" ]; then
  echo "Wine ended these test programs during its start, before they wrote anything; each was started again:"
  cat "$restarts"
fi
exit "$status"
