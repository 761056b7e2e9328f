# Finds Wine and makes a fresh prefix for a test. Source it after setting
# `work` (a scratch folder); it sets `wine` and `wineserver`, or exits 77
# (skipped) when Wine is not installed, and exports WINEPREFIX; boot_prefix
# then boots it.

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
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
# No Mono or Gecko: they would ask to be downloaded and slow the first boot.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Boots the fresh prefix (nothing of the user's Wine setup leaks in) and
# waits until its server has settled.
boot_prefix() {
  if ! timeout 240 "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
    echo "FAIL: wineboot -i failed"
    cat "$work/wineboot.log"
    exit 1
  fi
  timeout 120 "$wineserver" -w
}
