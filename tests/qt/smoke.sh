#!/bin/bash
# Runs the real program on a virtual X screen and checks pixels of a root
# window screenshot: the sea strip, the angler cut to its outline, the
# control panel, the popup menu, and a clean save on SIGTERM.
#
# usage: smoke.sh path/to/kelvory
set -u

prog=${1:?usage: smoke.sh path/to/kelvory}
width=1920
height=1080

for tool in Xvfb import od; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  # KEEP_SMOKE=1 keeps the screenshots (raw RGB, 1920x1080) for a look.
  if [[ -n ${KEEP_SMOKE:-} ]]; then
    echo "kept $work"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A white root (-wr) makes a pixel cut out of a black-keyed picture easy to
# tell from one the picture left black. -displayfd picks a free display.
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -wr -nolisten tcp \
  3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
if [[ ! -s $work/display ]]; then
  echo "FAIL: Xvfb did not start"
  cat "$work/xvfb.log"
  exit 1
fi
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The program keeps KVY.ini beside itself: run a copy, not the build output.
mkdir "$work/app"
cp "$prog" "$work/app/kelvory"

shot() { import -window root -depth 8 "rgb:$1"; }
# pixel FILE X Y: the colour as six hex digits.
pixel() { od -An -tx1 -j $((($3 * width + $2) * 3)) -N3 "$1" | tr -d ' \n'; }
expect() {  # expect FILE X Y COLOUR WHAT
  local got
  got=$(pixel "$1" "$2" "$3")
  [[ $got == "$4" ]] || fail "$5: pixel ($2,$3) is $got, expected $4"
}
differ() {  # differ FILE X Y COLOUR WHAT
  local got
  got=$(pixel "$1" "$2" "$3")
  [[ $got != "$4" ]] || fail "$5: pixel ($2,$3) is still $got"
}

# changed_pixels A B TOP BOTTOM: how many pixels of rows TOP..BOTTOM differ.
changed_pixels() {
  cmp -l "$1" "$2" | awk -v w="$width" -v top="$3" -v bottom="$4" '
    { p = int(($1 - 1) / 3); y = int(p / w); if (y >= top && y <= bottom) seen[p] = 1 }
    END { n = 0; for (k in seen) n++; print n }'
}

# changed_right A B TOP BOTTOM LEFT: the same, only from column LEFT on.
changed_right() {
  cmp -l "$1" "$2" | awk -v w="$width" -v top="$3" -v bottom="$4" -v left="$5" '
    { p = int(($1 - 1) / 3); y = int(p / w); x = p % w
      if (y >= top && y <= bottom && x >= left) seen[p] = 1 }
    END { n = 0; for (k in seen) n++; print n }'
}
# keep NAME FILE: the screenshot's bottom strip as a PNG test artefact.
keep() {
  [[ -n ${ARTIFACTS:-} ]] || return 0
  mkdir -p "$ARTIFACTS"
  convert -size "${width}x${height}" -depth 8 "rgb:$2" -crop "${width}x160+0+$((height - 160))" \
    +repage "$ARTIFACTS/$1.png"
}

shot "$work/root.rgb" || { echo "FAIL: no screenshot"; exit 1; }
root=$(pixel "$work/root.rgb" 960 500)

(cd "$work/app" && exec ./kelvory >"$work/app.log" 2>&1) &
app_pid=$!
sleep 2
if ! kill -0 "$app_pid" 2>/dev/null; then
  echo "FAIL: kelvory exited early"
  cat "$work/app.log"
  exit 1
fi
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

# A second copy ends at once and leaves the screen as it was.
second_rc=0
(cd "$work/app" && XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-}" timeout 10 ./kelvory >"$work/second.log" 2>&1) || second_rc=$?
[[ $second_rc == 0 ]] || fail "a second copy exited with $second_rc"
shot "$work/second.rgb"
changed=$(changed_pixels "$work/run.rgb" "$work/second.rgb" 960 1040)
((changed == 0)) || fail "a second copy changed the screen ($changed pixels)"
kill -0 "$app_pid" 2>/dev/null || fail "kelvory died when a second copy started"

# Input: a right press on the reel button opens the popup menu; Escape
# closes it again.
if command -v xdotool >/dev/null 2>&1; then
  xdotool mousemove 75 1072 click 3
  sleep 0.7
  shot "$work/menu.rgb"
  # The menu opens upwards from the pointer, over the empty screen (its face
  # may be as white as the root, so count changed pixels, not one colour).
  changed=$(changed_pixels "$work/run.rgb" "$work/menu.rgb" 950 1060)
  ((changed > 200)) || fail "right click on the reel button showed no menu ($changed pixels changed)"
  xdotool key Escape
  sleep 0.5
  shot "$work/after.rgb"
  changed=$(changed_pixels "$work/run.rgb" "$work/after.rgb" 950 1060)
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
  changed=$(changed_right "$work/run.rgb" "$work/cast.rgb" 1040 1076 140)
  ((changed > 20)) || fail "no float on the water after the cast ($changed pixels changed)"
  expect "$work/cast.rgb" 1000 1078 0000ff "sea after the cast"

  # "終了" is the menu's last item: it saves the catches and ends the program.
  xdotool mousemove 75 1072 click 3
  sleep 0.7
  shot "$work/menu-end.rgb"
  keep menu "$work/menu-end.rgb"
  xdotool key Up Return
  for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "kelvory did not end on 終了"
  else
    rc=0
    wait "$app_pid" || rc=$?
    app_pid=""
    [[ $rc == 0 ]] || fail "kelvory exited with $rc on 終了"
    grep -q '^Tyouka=0\{39\}' "$work/app/KVY.ini" 2>/dev/null || fail "終了 saved no catches"
  fi
  rm -f "$work/app/KVY.ini"
  (cd "$work/app" && exec ./kelvory >>"$work/app.log" 2>&1) &
  app_pid=$!
  sleep 1.5
else
  echo "note: xdotool missing, input not checked"
fi

# SIGTERM ends the session: the catches are saved and the program leaves.
kill -TERM "$app_pid"
for _ in $(seq 50); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
  fail "kelvory ignored SIGTERM"
else
  rc=0
  wait "$app_pid" || rc=$?
  app_pid=""
  [[ $rc == 0 ]] || fail "kelvory exited with $rc on SIGTERM"
  grep -q '^Tyouka=' "$work/app/KVY.ini" 2>/dev/null || fail "no catches saved in KVY.ini"
fi

if ((failures)); then
  echo "--- kelvory output"
  cat "$work/app.log"
  echo "qt.smoke: $failures check(s) failed"
  exit 1
fi
echo "qt.smoke: all checks passed"
