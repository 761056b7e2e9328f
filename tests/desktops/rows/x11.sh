# What every X11 row shares: the manager's list from EWMH, screenshots of
# the root, input by xdotool. Rows source it and define the rest.

x11_needs() { echo xdotool xprop xwininfo xsetroot; }

# _NET_CLIENT_LIST with each window's class and whether it skips the
# taskbar.
row_windows() {
  local id
  for id in $(xprop -root _NET_CLIENT_LIST | sed 's/.*#//; s/,/ /g'); do
    echo "$id $(xprop -id "$id" WM_CLASS 2>/dev/null | sed 's/.*= //')" \
      "$(xprop -id "$id" _NET_WM_STATE 2>/dev/null | grep -q SKIP_TASKBAR && echo skip-taskbar)"
  done
}

row_screenshot() { import -window root "$1"; }
row_pointer() { xdotool mousemove "$1" "$2"; }
row_button() { xdotool "mouse$2" "$1"; }
row_key() { xdotool key "$@"; }

# Waits (5 s) for an EWMH manager's check window.
wait_for_wm() {
  local _
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  return 1
}

# Waits (20 s) until the work area ends above the screen's bottom; sets
# bar_top there.
wait_for_workarea() {
  local _ bottom
  for _ in $(seq 200); do
    bottom=$(xprop -root _NET_WORKAREA 2>/dev/null | awk -F'[=,]' 'NF >= 5 { print $3 + $5 }')
    if [[ -n $bottom ]] && ((bottom < height)); then
      bar_top=$bottom
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Starts the window manager (the command given; its output to wm.log) and
# waits for its check window. Now and then a manager started the moment
# Xvfb names its display cannot open it and exits at once ("Failed to open
# the display", "Cannot open display"); it is started once more then. Sets
# wm_pid.
start_wm() {
  local _
  for _ in 1 2; do
    "$@" >>"$work/wm.log" 2>&1 &
    wm_pid=$!
    wait_for_wm && return 0
    kill -0 "$wm_pid" 2>/dev/null && return 1
  done
  return 1
}

# Stops the processes started, by their ids.
stop_pids() {
  local pid
  for pid in "$@"; do
    [[ -n $pid ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  return 0
}
