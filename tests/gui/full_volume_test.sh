#!/usr/bin/env bash
# Saving, appending, the zip and unzip core and the self-extractor conversion on a volume
# that fills up: a tmpfs of 300 KB mounted here and mapped as Wine's drive Q:. Needs root
# (for the mount) and an X display for Wine (xvfb-run).
# Usage: full_volume_test.sh BUILD-WIN64-FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wineprefix"
work=$(mktemp -d /tmp/quillow-full.XXXXXX)
drive="$WINEPREFIX/dosdevices/q:"
cleanup() {
  rm -f "$drive"
  umount "$work/volume" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/volume"
if ! mount -t tmpfs -o size=300k,mode=0777 quillow-full "$work/volume"; then
  echo "FAIL: cannot mount a small tmpfs (run as root)"
  exit 1
fi
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$work/volume" "$drive"
QUILLOW_FULL_VOLUME='Q:\' "$build/wine-run.sh" "$build/tests/gui/gui_tests.exe" \
  --gtest_filter='FullVolume*' | tee "$work/out"
# The tests skip themselves without the volume: make sure they ran.
grep -q '^\[  PASSED  \] 2 tests' "$work/out" || { echo "FAIL: the volume tests did not all run"; exit 1; }
