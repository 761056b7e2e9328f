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

# No window manager and no taskbar: the work area ends at the screen bottom,
# so the 3-px sea lies on rows 1077-1079 from the panel's right edge (83 px).
s="$work/run.rgb"
expect "$s" 1000 1078 0000ff "sea"
expect "$s" 1919 1077 0000ff "sea at the right edge"
expect "$s" 140 1079 0000ff "sea beside the angler"
expect "$s" 1000 1076 "$root" "above the sea"
# Outside every window the root shows.
expect "$s" 960 500 "$root" "empty screen"
expect "$s" 1919 0 "$root" "empty screen corner"
# The angler (50x48 at x 83, y 1032): its boat is drawn, its black key
# colour is cut away so the root shows through, not black.
expect "$s" 90 1073 00a000 "angler's boat"
expect "$s" 120 1040 "$root" "angler's cut-away corner"
[[ $(pixel "$s" 120 1040) != 000000 ]] || fail "angler's key colour shows black"
# The control panel (83x15 at 0, 1065): thin border, face, reel button.
differ "$s" 0 1070 "$root" "panel border"
differ "$s" 2 1070 "$root" "panel face"
expect "$s" 75 1072 0000ff "reel button"
expect "$s" 40 1064 "$root" "above the panel"

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

# Input: a right press on the reel button opens the popup menu; Escape
# closes it again.
if command -v xdotool >/dev/null 2>&1; then
  xdotool mousemove 75 1072 click 3
  sleep 0.7
  shot "$work/menu.rgb"
  # The menu opens upwards from the pointer, over the empty screen (its face
  # may be as white as the root, so count changed pixels, not one colour).
  changed=$(count_changed "$work/run.rgb" "$work/menu.rgb" 950 1060)
  ((changed > 200)) || fail "right click on the reel button showed no menu ($changed pixels changed)"
  xdotool key Escape
  sleep 0.5
  shot "$work/after.rgb"
  changed=$(count_changed "$work/run.rgb" "$work/after.rgb" 950 1060)
  ((changed == 0)) || fail "the menu did not close ($changed pixels differ)"
  kill -0 "$app_pid" 2>/dev/null || fail "kelvory died after the menu"

  # Two presses on the reel button: the meter starts, then the cast. The
  # float flies out and lands on the water right of the angler.
  xdotool mousemove 75 1072 mousedown 1 mouseup 1
  sleep 0.3
  xdotool mousedown 1 mouseup 1
  sleep 3
  shot "$work/cast.rgb"
  keep cast "$work/cast.rgb"
  changed=$(count_changed "$work/run.rgb" "$work/cast.rgb" 1040 1076 140)
  ((changed > 20)) || fail "no float on the water after the cast ($changed pixels changed)"
  expect "$work/cast.rgb" 1000 1078 0000ff "sea after the cast"

  # "終了" is the menu's last item: it saves the catches and ends the program.
  xdotool mousemove 75 1072 click 3
  sleep 0.7
  shot "$work/menu-end.rgb"
  keep menu "$work/menu-end.rgb"
  xdotool key Up Return
  if ends_cleanly "$app_pid" 終了; then
    app_pid=""
    grep -q '^Tyouka=0\{39\}' "$settings" 2>/dev/null || fail "終了 saved no catches"
  fi
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

if ((failures)); then
  echo "--- kelvory output"
  cat "$work/app.log"
  echo "qt.smoke: $failures check(s) failed"
  exit 1
fi
echo "qt.smoke: all checks passed"
