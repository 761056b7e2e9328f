# i3, a tiling manager, with i3bar along the bottom. It publishes no work
# area: the bar's own window says where the panel starts.
source "$here/rows/x11.sh"
wm_pid=""

row_needs() { echo i3 i3bar i3-msg "$(x11_needs)"; }

# The top of i3bar's mapped window; the screen's height while none shows.
row_bar_top() {
  local bar info top
  bar_top=$height
  for bar in $(xdotool search --class '^i3bar$' 2>/dev/null); do
    info=$(xwininfo -id "$bar" 2>/dev/null) || continue
    grep -q 'Map State: IsViewable' <<<"$info" || continue
    top=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    ((top > 0)) && bar_top=$top && return
  done
}

row_start() {
  # No borders, so that a tiled window reaches the bar; a status line that
  # stays as it is.
  printf '%s\n' '# i3 config file (v4)' 'font pango:monospace 8' 'default_border none' 'bar {' '  position bottom' \
    "  status_command echo idle; exec sleep 120" '}' >"$work/i3.conf"
  start_wm i3 -c "$work/i3.conf"
  bar_settles show 100
  sleep 0.5
}

# Every window i3 manages, with its class.
row_windows() {
  i3-msg -t get_tree | grep -o '"window":[0-9]*,"window_type":"[a-z]*","window_properties":{[^}]*}'
}

# i3 restarts in place, its bar too.
row_replace() {
  i3-msg restart >/dev/null
  sleep 1
}

# The bar made invisible unmaps its window; docked again, it is a new window
# that maps after the toy's, with still no work area to announce it.
row_move_bar() {
  i3-msg bar mode "$([[ $1 == hide ]] && echo invisible || echo dock)" >/dev/null
}

row_stop() { stop_pids "$wm_pid"; }
