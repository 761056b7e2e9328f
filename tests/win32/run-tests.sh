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
# Debian's wine64 package alone has no wrapper on the PATH, only the loader.
find_tool() {
  local name
  for name in "$@"; do
    if command -v "$name" >/dev/null 2>&1; then
      command -v "$name"
      return 0
    fi
    [[ -x $name ]] && { echo "$name"; return 0; }
  done
  return 1
}
wine=$(find_tool "${WINE:-wine}" wine64 /usr/lib/wine/wine64) || {
  echo "skipped: wine is not installed"
  exit 77
}
wineserver=$(find_tool "${WINESERVER:-wineserver}" /usr/lib/wine/wineserver) || {
  echo "skipped: wineserver is not installed"
  exit 77
}
for prog in "$@"; do
  [[ -f $prog ]] || { echo "FAIL: $prog does not exist"; exit 1; }
done

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
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
