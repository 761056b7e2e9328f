#!/bin/bash
# Runs the real program on a virtual X screen and checks pixels of a root
# window screenshot: the sea strip, the angler cut to its outline, the
# control panel, the popup menu, a cast with real clicks,
# "終了" from the menu, and a clean save on SIGTERM.
#
# usage: smoke.sh path/to/kelvory
# Exits 77 (skipped) when Xvfb or ImageMagick is missing. With ARTIFACTS
# set, the screenshots' bottom strips are kept there as PNGs.
set -u

prog=${1:?usage: smoke.sh path/to/kelvory}
work=$(mktemp -d)
app_pid=""
source "$(dirname "$0")/../lib/screen.sh"
source "$(dirname "$0")/../lib/scene.sh"
require Xvfb import convert od cmp
cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
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
shot "$work/root.rgb" || { echo "FAIL: no screenshot"; exit 1; }
root=$(pixel "$work/root.rgb" 960 500)
start_qt_program "$prog"
shot "$work/run.rgb"
keep start "$work/run.rgb"

# No window manager and no taskbar: the work area ends at the screen bottom.
s="$work/run.rgb"
scene_at_rest "$s" "$work/root.rgb" "$height"

# A fullscreen window made active covers the screen: the figures step
# aside within a second or two and come back when it goes. (No window
# manager here: the root itself plays the fullscreen window.)
if command -v xprop >/dev/null 2>&1 && command -v xwininfo >/dev/null 2>&1; then
  root_id=$(xwininfo -root | awk '/Window id:/ {print $4}')
  xprop -root -f _NET_WM_STATE 32a -set _NET_WM_STATE _NET_WM_STATE_FULLSCREEN
  xprop -root -f _NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW "$root_id"
  sleep 2.2
  shot "$work/covered.rgb"
  expect "$work/covered.rgb" 1000 1078 "$root" "sea under a fullscreen window"
  expect "$work/covered.rgb" 75 1072 "$root" "reel button under a fullscreen window"
  xprop -root -remove _NET_ACTIVE_WINDOW
  sleep 2.2
  shot "$work/uncovered.rgb"
  expect "$work/uncovered.rgb" 1000 1078 0000ff "sea after the fullscreen window"
  expect "$work/uncovered.rgb" 75 1072 0000ff "reel button after the fullscreen window"
else
  echo "note: xprop or xwininfo missing, fullscreen not checked"
fi

if command -v xdotool >/dev/null 2>&1; then
  menu_opens_and_closes "$work/run.rgb" "$height"
  kill -0 "$app_pid" 2>/dev/null || fail "kelvory died after the menu"
  cast_lands "$work/run.rgb" "$height" cast
  # The angler shows its new frame: a figure's look follows its picture.
  expect "$work/cast.rgb" 117 $((height - 42)) a00000 "the rod bent over the line"
  quit_saves "$height" "$settings"
  rm -f "$settings"
  (cd "$work/app" && exec ./kelvory >>"$work/app.log" 2>&1) &
  app_pid=$!
  sleep 1.5
else
  echo "note: xdotool missing, input not checked"
fi

# SIGTERM ends the session: the catches are saved and the program leaves.
kill -TERM "$app_pid"
if ends_cleanly "$app_pid" SIGTERM; then
  app_pid=""
  grep -q '^Tyouka=' "$settings" 2>/dev/null || fail "no catches saved in KVY.ini"
fi

finish qt.smoke "$work/app.log"
