#!/bin/bash
# Runs Windows test programs under Wine in a fresh prefix, one after the
# other: the game's test suite (kelvory_tests.exe) and the profile
# differential test (profile_diff.exe). No display is needed.
#
# usage: run-tests.sh PROGRAM.exe...
# Exits 77 (skipped) when Wine is missing. KELVORY_SOAK_INPUTS, when set,
# reaches the soak test as it does natively.
set -u

(($# > 0)) || { echo "usage: run-tests.sh PROGRAM.exe..."; exit 2; }
for prog in "$@"; do
  [[ -f $prog ]] || { echo "FAIL: $prog does not exist"; exit 1; }
done

work=$(mktemp -d)
source "$(dirname "$0")/../lib/wine.sh"
# Console programs: no window, so no X server either.
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  [[ -d $WINEPREFIX ]] && "$wineserver" -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

if ! timeout 240 "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
  echo "FAIL: wineboot -i failed"
  cat "$work/wineboot.log"
  exit 1
fi
timeout 120 "$wineserver" -w

failures=0
for prog in "$@"; do
  name=$(basename "$prog")
  # Wine's console output ends its lines with CR LF.
  start=$SECONDS
  path=$(realpath "$prog")
  (cd "$work" && timeout 900 "$wine" "$path") 2>&1 | tr -d '\r' >"$work/$name.log"
  rc=${PIPESTATUS[0]}
  cat "$work/$name.log"
  if ((rc == 0)); then
    echo "win32.run-tests: $name passed under Wine ($((SECONDS - start)) s)"
  else
    echo "win32.run-tests: FAIL: $name exited with $rc under Wine"
    failures=$((failures + 1))
  fi
done
((failures == 0))
