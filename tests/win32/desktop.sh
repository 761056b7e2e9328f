#!/bin/bash
# Runs the Windows build under Wine the way tests/qt/desktop.sh runs the Qt
# one: under Openbox with a tint2 taskbar, above an ordinary window that
# records the clicks it gets. Checks what Wine passes on to the X desktop:
# the figures drawn on the taskbar's edge and no task of ours in the
# taskbar, the history window's place and a tooltip in it. Whether clicks
# pass through to the window below is reported.
#
# usage: desktop.sh path/to/kelvory.exe
# Exits 77 (skipped) when Wine or another tool is missing.
set -u

prog=${1:?usage: desktop.sh path/to/kelvory.exe}
work=$(mktemp -d)
app_pid=""
below_pid=""
source "$(dirname "$0")/../lib/screen.sh"
require Xvfb import convert od cmp openbox tint2 xprop xwininfo xdotool xev
source "$(dirname "$0")/../lib/wine.sh"
source "$(dirname "$0")/../lib/desktop.sh"
[[ -f $prog ]] || { echo "FAIL: $prog does not exist"; exit 1; }

cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
  [[ -n $below_pid ]] && kill "$below_pid" 2>/dev/null
  [[ -d $WINEPREFIX ]] && "$wineserver" -k 2>/dev/null
  stop_desktop
  stop_xvfb
  if [[ -n ${KEEP_SHOTS:-} ]]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

start_xvfb
boot_prefix
start_desktop
ground=$bar_top
xev -event button -name below -geometry 1900x1000+10+40 >"$work/below.log" 2>&1 &
below_pid=$!
sleep 1
shot "$work/bar0.rgb"

mkdir "$work/app"
cp "$prog" "$work/app/kelvory.exe"
# Ten of the first species caught and one of the second: the history window
# has pictures with tips.
printf '[Data]\r\nTyouka=00a1G2\r\n' >"$work/app/KVY.ini"
(cd "$work/app" && exec "$wine" ./kelvory.exe >"$work/app.log" 2>&1) &
app_pid=$!
for _ in $(seq 120); do
  shot "$work/rest.rgb"
  [[ $(pixel "$work/rest.rgb" 1000 $((ground - 2))) == 0000ff ]] && break
  sleep 0.5
done
sleep 1.5
shot "$work/rest.rgb"
expect "$work/rest.rgb" 90 $((ground - 7)) 00a000 "angler's bank on the taskbar"

# Wine leaves borderless popups (our figures and the panel) unmanaged, so
# the window manager never lists them; any window of ours it does manage
# must carry skip-taskbar and skip-pager.
for id in $(client_windows kelvory.exe); do
  state=$(xprop -id "$id" _NET_WM_STATE)
  xwininfo -id "$id" 2>/dev/null | grep -q IsViewable || continue
  [[ $state == *_NET_WM_STATE_SKIP_TASKBAR* ]] || fail "window $id ($(frame_box "$id")) lacks skip-taskbar"
  [[ $state == *_NET_WM_STATE_SKIP_PAGER* ]] || fail "window $id ($(frame_box "$id")) lacks skip-pager"
done
changed=$(cmp -l "$work/bar0.rgb" "$work/rest.rgb" | awk -v w="$width" -v top="$bar_top" '
  { p = int(($1 - 1) / 3); if (int(p / w) >= top && p % w < w - 300) seen[p] = 1 }
  END { n = 0; for (k in seen) n++; print n }')
((changed == 0)) || fail "the taskbar changed ($changed pixels): a task of ours?"

# Click-through: on Windows a transparent layered window lets the click
# through; Wine hands such a click to no X window outside Wine, so here it
# is only reported.
xdotool mousemove 90 $((ground - 7)) click 1
sleep 0.5
xdotool mousemove 1000 $((ground - 2)) click 1
sleep 0.8
shot "$work/clicked.rgb"
expect "$work/clicked.rgb" 90 $((ground - 7)) 00a000 "angler's bank after clicks on it"
expect "$work/clicked.rgb" 1000 $((ground - 2)) 0000ff "sea after clicks on it"
if grep -q "root:(1000,$((ground - 2)))" "$work/below.log"; then
  echo "note: clicks on the sea reach the X window below"
else
  echo "note: this Wine passes no click through to an X window below"
fi

# The history window, from the menu's first item ("釣果履歴", clicked: the
# menu takes no keys while a window outside Wine has the focus). Its frame
# ends 100 twips (7 px) above the angler's top.
xdotool mousemove 75 $((ground - 8)) click 3
sleep 1.5
xdotool mousemove 100 $((ground - 63)) click 1
sleep 2
history=$(for id in $(client_windows kelvory.exe); do
  xprop -id "$id" WM_NAME | grep -q '"Kelvory"' && echo "$id"; done | head -n1)
if [[ -z $history ]]; then
  fail "no history window from the menu"
else
  read -r l t r b < <(frame_box "$history")
  # Wine lets the window manager draw the frame, whose edges lie a pixel or
  # two from the ones Windows would draw.
  expected=$((ground - 48 - 7))
  ((b >= expected - 3 && b <= expected + 3)) ||
    fail "history window's frame ends at y $b, not $expected (100 twips above the angler)"
  # The pointer resting on the first fish's picture brings up its name in
  # a tooltip below it, which the window makes with its first tip.
  read -r cx cy < <(client_origin "$history")
  shot "$work/history.rgb"
  xdotool mousemove $((cx + 19)) $((cy + 39))
  sleep 0.2
  xdotool mousemove $((cx + 21)) $((cy + 41))
  sleep 2
  shot "$work/tip.rgb"
  tip=$(count_changed "$work/history.rgb" "$work/tip.rgb" $((cy + 60)) $((cy + 110)) "$cx" $((cx + 150)))
  ((tip > 50)) || fail "no tooltip below the first fish's picture ($tip pixels changed)"
fi

finish win32.desktop
