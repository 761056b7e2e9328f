#!/bin/bash
# Runs the real program on a virtual X screen, changes the work area
# (_NET_WORKAREA, as a taskbar does) and then the screen size (RandR, as a
# resolution change does), and checks by screenshot that the sea, the angler
# and the panel sit on the new bottom edge each time.
#
# usage: screen_change.sh path/to/kelvory
# Exits 77 (skipped) when Xvfb, ImageMagick, xprop or xrandr is missing, or
# when this X server cannot change its screen size.
set -u

prog=${1:?usage: screen_change.sh path/to/kelvory}
work=$(mktemp -d)
app_pid=""
source "$(dirname "$0")/../lib/screen.sh"
require Xvfb import convert od xprop xrandr
cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb
shot "$work/root.rgb" || { echo "FAIL: no screenshot"; exit 1; }
root=$(pixel "$work/root.rgb" 960 500)
start_qt_program "$prog"

# The scene along a bottom edge: the 3-px sea on the last three rows from
# the panel's right edge on, the angler's bank 7 px above the edge, the
# reel button 8 px above it, and the screen's background just above the sea.
sits_on() {  # sits_on FILE BOTTOM WHAT
  local f=$1 b=$2
  expect "$f" 1000 $((b - 2)) 0000ff "sea on the $3"
  expect "$f" $((width - 1)) $((b - 3)) 0000ff "sea at the right edge on the $3"
  expect "$f" 1000 $((b - 4)) "$root" "above the sea on the $3"
  expect "$f" 90 $((b - 7)) 00a000 "angler's bank on the $3"
  expect "$f" 75 $((b - 8)) 0000ff "reel button on the $3"
}

shot "$work/start.rgb"
sits_on "$work/start.rgb" 1080 "screen bottom"

# A taskbar 80 px high takes the bottom of the screen.
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 0, 1920, 1000"
sleep 1.5
shot "$work/taskbar.rgb"
sits_on "$work/taskbar.rgb" 1000 "taskbar's top"
expect "$work/taskbar.rgb" 1000 1078 "$root" "old sea row with a taskbar"

# The taskbar goes; then the resolution drops to 1600x900.
xprop -root -remove _NET_WORKAREA
sleep 1.5
shot "$work/back.rgb"
sits_on "$work/back.rgb" 1080 "screen bottom again"
if ! xrandr --newmode kelvory-1600x900 118.25 1600 1696 1856 2112 900 903 908 934 2>/dev/null ||
  ! xrandr --addmode screen kelvory-1600x900 2>/dev/null ||
  ! xrandr --output screen --mode kelvory-1600x900 2>/dev/null; then
  echo "skipped: this X server cannot change its screen size"
  exit 77
fi
sleep 1.5
width=1600
height=900
shot "$work/small.rgb"
sits_on "$work/small.rgb" 900 "smaller screen's bottom"
kill -0 "$app_pid" 2>/dev/null || fail "kelvory died on the screen change"

kill -TERM "$app_pid"
ends_cleanly "$app_pid" SIGTERM && app_pid=""

finish qt.screen-change "$work/app.log"
