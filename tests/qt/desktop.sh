#!/bin/bash
# Runs the real program as a user meets it: under Openbox with a tint2
# taskbar on a virtual X screen (the checks every desktop shares are in
# tests/desktops/). Checks that the taskbar stays as it was during a strike,
# that the dialogs sit where they belong and cannot be minimised away, that
# the version window shows its name whole, and that windows meant to meet
# leave no seam, at scale 1, 2 and 1.5.
#
# usage: desktop.sh path/to/kelvory
# Exits 77 (skipped) when a tool is missing. With SCREENSHOT set, a picture
# of the screen's bottom-left corner during a strike is written there (PNG,
# twice the size).
set -u

prog=${1:?usage: desktop.sh path/to/kelvory}
work=$(mktemp -d)
app_pid=""
source "$(dirname "$0")/../lib/screen.sh"
source "$(dirname "$0")/../lib/desktop.sh"
require Xvfb import convert od cmp openbox tint2 xprop xwininfo xdotool xsetroot
cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
  stop_desktop
  stop_xvfb
  if [[ -n ${KEEP_SHOTS:-} ]]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

# One colour a line, the whole row Y of a screenshot.
row() { od -An -v -tx1 -j $(($2 * width * 3)) -N $((width * 3)) "$1" | tr -s ' \n' '  ' |
  awk '{ for (i = 1; i + 2 <= NF; i += 3) print $i $(i + 1) $(i + 2) }'; }

# How many pixels of the root's colour lie between the first and the last
# pixel of another colour in columns FROM..TO of row Y: a seam between
# windows that should meet.
seams() {  # seams FILE Y FROM TO
  row "$1" "$2" | awk -v root="$root" -v from="$3" -v to="$4" '
    NR - 1 >= from && NR - 1 <= to { x = NR - 1
      if ($1 != root) { if (first == "") first = x; last = x; gaps += pending; pending = 0 }
      else if (first != "") pending++ }
    END { print (first == "" ? -1 : gaps + 0) }'
}

# Starts a fresh copy at a scale, waits until it stands on the taskbar.
launch() {  # launch SCALE
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  rm -f "$work/app/KVY.ini"
  QT_SCALE_FACTOR=$1 KELVORY_TRACE=1 start_qt_program "$prog"
}

wait_for_bite() {  # the float goes under: strike at once
  local since _ 
  since=$(grep -c ' bite$' "$work/app.log")
  for _ in $(seq 1200); do
    if (($(grep -c ' bite$' "$work/app.log") > since)); then return 0; fi
    sleep 0.05
  done
  fail "no bite within a minute"
  return 1
}

# Casts, waits for a bite, strikes, and takes a screenshot while "HIT!!!"
# shows (balloon and marker: seven windows of ours at least). A strike
# that comes too late on a busy machine reels a little line; the next bite
# is tried. REEL is the reel button's position.
strike_shot() {  # strike_shot REEL_X REEL_Y FILE
  local _
  xdotool mousemove "$1" "$2" mousedown 1 mouseup 1
  sleep 0.4
  xdotool mousedown 1 mouseup 1
  sleep 2.5
  for _ in 1 2 3 4; do
    wait_for_bite || return 1
    xdotool mousedown 1
    sleep 0.25
    shot "$3"
    xdotool mouseup 1
    (($(xdotool search --onlyvisible --class '^kelvory$' | wc -l) >= 7)) && return 0
    sleep 2
  done
  fail "four strikes, no fish hooked"
  return 1
}

start_xvfb
start_desktop
xsetroot -solid '#336699'
sleep 1
shot "$work/bar0.rgb"
root=$(pixel "$work/bar0.rgb" 5 5)
ground=$bar_top  # the scene stands on the taskbar's top edge

# --- scale 1 ------------------------------------------------------------
launch 1
shot "$work/rest.rgb"
panel_unchanged "$work/bar0.rgb" "$work/rest.rgb" "at rest"
expect "$work/rest.rgb" 90 $((ground - 7)) 00a000 "angler's bank on the taskbar"
(($(seams "$work/rest.rgb" $((ground - 1)) 0 $((width - 1))) == 0)) ||
  fail "scale 1: a seam between panel, angler and sea"

if strike_shot 75 $((ground - 8)) "$work/hit.rgb"; then
  panel_unchanged "$work/bar0.rgb" "$work/hit.rgb" "during a strike"
  # The balloon: caps and centre piece in one piece, 10 px above the
  # angler (top at ground - 48) and rising above it.
  s=$(seams "$work/hit.rgb" $((ground - 48 - 5)) 100 700)
  ((s == 0)) || fail "scale 1: the balloon has a seam ($s pixels)"
  if [[ -n ${SCREENSHOT:-} ]]; then
    convert -size "${width}x${height}" -depth 8 "rgb:$work/hit.rgb" \
      -crop "400x110+0+$((height - 110))" +repage -filter point -resize 200% "$SCREENSHOT"
  fi
fi
sleep 2.5

# The history window: its frame's bottom 100 twips (7 px) above the
# angler, at the screen's left edge. Minimised, it comes straight back, and
# once closed the reel button answers again.
xdotool mousemove 75 $((ground - 8)) click 3
sleep 0.7
xdotool key Down Return
sleep 1.5
history=$(for id in $(client_windows kelvory); do
  xprop -id "$id" WM_NAME | grep -q '"Kelvory"' && echo "$id"; done | head -n1)
if [[ -z $history ]]; then
  fail "no history window"
else
  read -r l t r b < <(frame_box "$history")
  ((l == 0)) || fail "history window's frame starts at x $l, not 0"
  expected=$((ground - 48 - 7))
  ((b >= expected - 1 && b <= expected + 1)) ||
    fail "history window's frame ends at y $b, not $expected (100 twips above the angler)"
  xdotool windowminimize "$history"
  sleep 1.5
  xwininfo -id "$history" | grep -q IsViewable || fail "the minimised history window stayed away"
  read -r cx cy < <(client_origin "$history")
  xdotool mousemove $((cx + 60)) $((cy + 164)) click 1  # "閉じる"
  sleep 1
  xwininfo -id "$history" 2>/dev/null | grep -q IsViewable && fail "閉じる left the history window open"
fi
shot "$work/closed.rgb"
xdotool mousemove 75 $((ground - 8)) click 3
sleep 0.7
shot "$work/menu.rgb"
changed=$(count_changed "$work/closed.rgb" "$work/menu.rgb" 900 $((ground - 1)))
((changed > 200)) || fail "after the history window the reel button took no press (no menu)"
xdotool key Escape
sleep 0.3

# The version window: centred by its frame, its name whole in its label.
xdotool mousemove 75 $((ground - 8)) click 3
sleep 0.7
xdotool key Down Down Return
sleep 1.5
version=$(for id in $(client_windows kelvory); do
  xprop -id "$id" WM_NAME | grep -q 'ﾊﾞｰｼﾞｮﾝ情報' && echo "$id"; done | head -n1)
if [[ -z $version ]]; then
  fail "no version window"
else
  read -r l t r b < <(frame_box "$version")
  dx=$((l - (width - r))) dy=$((t - (height - b)))
  ((dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1)) ||
    fail "version window's frame ($l,$t)-($r,$b) is not centred on the screen"
  read -r cx cy < <(client_origin "$version")
  shot "$work/version.rgb"
  # Label2(0): 159 x 19 px at (43, 10) of the client area. Its dark ink
  # must lie inside, clear of the box's bottom row and right column.
  ink=$(for y in $(seq $((cy + 10)) $((cy + 28))); do
    row "$work/version.rgb" "$y" | awk -v y=$((y - cy - 10)) -v from=$((cx + 43)) -v to=$((cx + 201)) '
      NR - 1 >= from && NR - 1 <= to {
        if (substr($1, 1, 2) < "a0") print NR - 1 - from, y }'
  done | awk 'NR == 1 {l = r = $1; t = b = $2} {if ($1 < l) l = $1; if ($1 > r) r = $1;
    if ($2 < t) t = $2; if ($2 > b) b = $2} END {if (NR) print l, t, r, b; else print "none"}')
  if [[ $ink == none ]]; then
    fail "version window: no name drawn"
  else
    read -r il it ir ib <<<"$ink"
    ((ib < 18 && ir < 158 && it >= 0 && ir - il > 40)) ||
      fail "version window: the name's ink ($il,$it)-($ir,$ib) is clipped by its 159x19 label"
  fi
  xdotool mousemove $((cx + 231)) $((cy + 19)) click 1  # "OK"
  sleep 0.5
fi

# --- scale 2 and 1.5: the panel, angler and sea meet; the balloon is whole
launch 2
shot "$work/rest2.rgb"
(($(seams "$work/rest2.rgb" $((ground - 1)) 0 $((width - 1))) == 0)) ||
  fail "scale 2: a seam between panel, angler and sea"
if strike_shot 150 $((ground - 16)) "$work/hit2.rgb"; then
  s=$(seams "$work/hit2.rgb" $((ground - 96 - 10)) 200 1400)
  ((s == 0)) || fail "scale 2: the balloon has a seam ($s pixels)"
fi

launch 1.5
shot "$work/rest15.rgb"
for y in $((ground - 1)) $((ground - 3)); do
  (($(seams "$work/rest15.rgb" "$y" 0 $((width - 1))) == 0)) ||
    fail "scale 1.5: a seam between panel and sea in row $y"
done

finish qt.desktop "$work/app.log" 20
