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
# folder-browser tests wait for; such a test gets up to two more runs before it fails.
ctest --test-dir "$build" --output-on-failure --repeat until-pass:3 "$@"
