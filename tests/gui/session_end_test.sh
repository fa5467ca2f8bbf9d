#!/usr/bin/env bash
# Logging off while Quillow runs: Wine ends the session (WM_QUERYENDSESSION, WM_ENDSESSION)
# and the settings must be in the registry afterwards, though the window was never closed.
# Needs an X display for Wine (xvfb-run) and xwininfo to see the window come up.
# Usage: session_end_test.sh BUILD-WIN64-FOLDER QUILLOW-EXE
set -euo pipefail
build=$(cd "$1" && pwd)
exe=$2
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
key='HKCU\Software\Ostrel\Quillow'
work=$(mktemp -d /tmp/quillow-session.XXXXXX)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
wine reg delete "$key" /f >/dev/null 2>&1 || true
# A program folder of its own: no legacy file, and the warnings file goes there.
cp "$exe" "$work/Quillow.exe"
(cd "$work" && exec wine Quillow.exe >/dev/null 2>&1) &
pid=$!
for _ in $(seq 120); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Quillow"' && break
  sleep 0.25
done
xwininfo -root -tree | grep -q '"Quillow"' || { echo "FAIL: the Quillow window did not appear"; exit 1; }
# Loading opens (and so makes) the key, but writes no value.
if wine reg query "$key" /v DoNotDeleteMe >/dev/null 2>&1; then
  echo "FAIL: the settings were written before the session ended"
  exit 1
fi
wine wineboot --end-session </dev/null >/dev/null 2>&1
if ! wine reg query "$key" /v DoNotDeleteMe >/dev/null 2>&1; then
  echo "FAIL: no settings in the registry after the end of the session"
  exit 1
fi
wine reg query "$key" /v SubFolders | grep -q '0x1' || { echo "FAIL: SubFolders not saved"; exit 1; }
echo "PASS: settings saved at the end of the session"
