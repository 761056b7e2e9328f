# i3, a tiling manager, with i3bar along the bottom. It publishes no work
# area: the bar's own window says where the panel starts.
source "$here/rows/x11.sh"
wm_pid=""

row_needs() { echo i3 i3bar i3-msg "$(x11_needs)"; }

row_start() {
  local _ bar
  # No borders, so that a tiled window reaches the bar; a status line that
  # stays as it is.
  printf '%s\n' '# i3 config file (v4)' 'font pango:monospace 8' 'default_border none' 'bar {' '  position bottom' \
    "  status_command echo idle; exec sleep 120" '}' >"$work/i3.conf"
  i3 -c "$work/i3.conf" >"$work/wm.log" 2>&1 &
  wm_pid=$!
  wait_for_wm
  for _ in $(seq 100); do
    bar=$(xdotool search --class '^i3bar$' 2>/dev/null | head -n1)
    [[ -n $bar ]] && bar_top=$(xwininfo -id "$bar" | awk '/Absolute upper-left Y/ {print $NF}')
    [[ -n $bar_top ]] && ((bar_top > 0)) && break
    sleep 0.1
  done
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

row_stop() { stop_pids "$wm_pid"; }
