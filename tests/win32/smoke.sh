#!/bin/bash
# Runs the Windows build under Wine on a virtual X screen and checks pixels of
# a root window screenshot: the sea strip, the angler cut to its outline, the
# control panel, the popup menu, a cast with real clicks, "終了" from the
# menu, and a clean save when the session ends.
#
# usage: smoke.sh path/to/kelvory.exe
# Exits 77 (skipped) when Wine, Xvfb or ImageMagick is missing. With
# ARTIFACTS set, the screenshots' bottom strips are kept there as PNGs; with
# SCREENSHOT set, the toy after the cast is saved there as the README shows
# it (bottom-left 760x70 pixels, twice the size).
set -u

prog=${1:?usage: smoke.sh path/to/kelvory.exe}
work=$(mktemp -d)
app_pid=""
source "$(dirname "$0")/../lib/screen.sh"
settle=1
source "$(dirname "$0")/../lib/scene.sh"
require Xvfb import convert od cmp
source "$(dirname "$0")/../lib/wine.sh"

if [[ ! -f $prog ]]; then
  echo "FAIL: $prog does not exist"
  exit 1
fi

cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
  [[ -d $WINEPREFIX ]] && "$wineserver" -k 2>/dev/null
  stop_xvfb
  # KEEP_SMOKE=1 keeps the screenshots (raw RGB, 1920x1080) for a look.
  if [[ -n ${KEEP_SMOKE:-} ]]; then
    echo "kept $work"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

start_xvfb

boot_prefix

# The program keeps KVY.ini beside itself: run a copy, not the build output.
mkdir "$work/app"
cp "$prog" "$work/app/kelvory.exe"

# portrait FILE: the toy's corner, pixel for pixel at twice the size.
portrait() {
  [[ -n ${SCREENSHOT:-} ]] || return 0
  convert -size "${width}x${height}" -depth 8 "rgb:$1" -crop "760x70+0+$((height - 70))" \
    +repage -filter point -resize 200% "$SCREENSHOT"
}

shot "$work/root.rgb" || { echo "FAIL: no screenshot"; exit 1; }
root=$(pixel "$work/root.rgb" 960 500)

(cd "$work/app" && KELVORY_TRACE=1 exec "$wine" ./kelvory.exe >"$work/app.log" 2>&1) &
app_pid=$!

s="$work/run.rgb"
if ! wait_for_sea "$app_pid" "$s"; then
  echo "FAIL: kelvory ended, or drew no sea within 60 s"
  cat "$work/app.log"
  exit 1
fi
# Let every window finish its first paint.
sleep 1.5
shot "$s"
keep win32-start "$s"

# No window manager and no taskbar: Wine's work area is the whole screen,
# so the 3-px sea lies on rows 1077-1079 from the panel's right edge (83 px).
# A work area ending anywhere else would put the sea elsewhere and fail here.
scene_at_rest "$s" "$work/root.rgb" "$height"

cover=$(dirname "$prog")/../../../tests/win32/fullscreen_window.exe
if [[ -f $cover ]]; then
  "$wine" "$cover" 5 >/dev/null 2>&1 &
  cover_pid=$!
  sleep 3
  shot "$work/covered.rgb"
  [[ $(pixel "$work/covered.rgb" 1000 1078) != 0000ff ]] || fail "the sea shows over a fullscreen window"
  [[ $(pixel "$work/covered.rgb" 75 1072) != 0000ff ]] ||
    fail "the reel button shows over a fullscreen window"
  # Wine stacks the new window over ours anyway, so the program's own word
  # says whether it stepped aside.
  grep -q 'fullscreen window in front' "$work/app.log" || fail "the figures did not step aside"
  wait "$cover_pid"
  sleep 2.5
  grep -q 'fullscreen window gone' "$work/app.log" || fail "the figures did not come back"
  shot "$work/uncovered.rgb"
  expect "$work/uncovered.rgb" 1000 1078 0000ff "sea after the fullscreen window"
  expect "$work/uncovered.rgb" 75 1072 0000ff "reel button after the fullscreen window"
else
  echo "note: $cover missing, fullscreen not checked"
fi

# Input: a right press on the reel button opens the popup menu; Escape
# closes it again.
if command -v xdotool >/dev/null 2>&1; then
  menu_opens_and_closes "$work/run.rgb" "$height"
  kill -0 "$app_pid" 2>/dev/null || fail "kelvory died after the menu"
  cast_lands "$work/run.rgb" "$height" win32-cast
  portrait "$work/cast.rgb"
  quit_saves "$height" "$work/app/KVY.ini"

  (cd "$work/app" && exec "$wine" ./kelvory.exe >>"$work/app.log" 2>&1) &
  app_pid=$!
  again=""
  for _ in $(seq 60); do
    shot "$work/again.rgb"
    if [[ $(pixel "$work/again.rgb" 1000 1078) == 0000ff ]]; then
      again=yes
      break
    fi
    sleep 0.5
  done
  [[ -n $again ]] || fail "kelvory did not come back after 終了"
  sleep 1
else
  echo "note: xdotool missing, input not checked"
fi

# Ending the Wine session sends WM_QUERYENDSESSION and WM_ENDSESSION: the
# catches are saved and the program leaves.
rm -f "$work/app/KVY.ini"
timeout 60 "$wine" wineboot -e >>"$work/wineboot.log" 2>&1
if ends_cleanly "$app_pid" "the session's end" 100; then
  app_pid=""
  grep -q '^Tyouka=' "$work/app/KVY.ini" 2>/dev/null || fail "no catches saved in KVY.ini"
fi

finish win32.smoke "$work/app.log"
