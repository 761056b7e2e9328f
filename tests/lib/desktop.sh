# A real desktop on the virtual X screen: Openbox as the window manager and
# a tint2 taskbar along the bottom, both with their packaged settings.
# Source after tests/lib/screen.sh, once start_xvfb has run:
#   start_desktop          starts both; sets bar_top (the taskbar's top row)
#   stop_desktop
#   client_windows CLASS   ids of the managed windows of that WM_CLASS
#   frame_box ID           the window's outer frame: "left top right bottom"
#                          (right and bottom exclusive)
#   client_origin ID       the top left corner of the window's inside: "x y"

wm_pid=""
bar_pid=""
bar_top=$height

workarea_bottom() {
  xprop -root _NET_WORKAREA 2>/dev/null | awk -F'[=,]' 'NF >= 5 { print $3 + $5 }'
}

start_desktop() {
  # A home of its own: no user settings, nothing written to the real one.
  mkdir -p "$work/home"
  HOME=$work/home openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  local _
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  HOME=$work/home tint2 >"$work/tint2.log" 2>&1 &
  bar_pid=$!
  for _ in $(seq 50); do
    local bottom
    bottom=$(workarea_bottom)
    if [[ -n $bottom && $bottom -lt $height ]]; then
      bar_top=$bottom
      sleep 0.5
      return 0
    fi
    sleep 0.1
  done
  echo "FAIL: no taskbar: the work area still reaches the screen's bottom"
  cat "$work/openbox.log" "$work/tint2.log"
  exit 1
}

stop_desktop() {
  [[ -n $bar_pid ]] && kill "$bar_pid" 2>/dev/null && wait "$bar_pid" 2>/dev/null
  [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  bar_pid=""
  wm_pid=""
}

client_windows() {
  local id
  for id in $(xprop -root _NET_CLIENT_LIST | sed 's/.*#//; s/,/ /g'); do
    xprop -id "$id" WM_CLASS 2>/dev/null | grep -q "\"$1\"" && echo "$id"
  done
}

client_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}

frame_box() {
  local x y w h l r t b
  read -r x y w h < <(xwininfo -id "$1" | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^  Width/ {w=$NF} /^  Height/ {h=$NF} END {print x, y, w, h}')
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | awk -F'[=,]' 'NF >= 5 {print $2, $3, $4, $5}')
  echo "$((x - ${l:-0})) $((y - ${t:-0})) $((x + w + ${r:-0})) $((y + h + ${b:-0}))"
}
