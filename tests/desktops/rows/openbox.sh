# Openbox with a tint2 taskbar along the bottom, both as packaged.
source "$here/rows/x11.sh"
wm_pid="" bar_pid=""

row_needs() { echo openbox tint2 "$(x11_needs)"; }

row_start() {
  start_wm openbox --sm-disable
  tint2 >"$work/bar.log" 2>&1 &
  bar_pid=$!
  wait_for_workarea
  sleep 0.5
}

row_replace() {
  openbox --sm-disable --replace >>"$work/wm.log" 2>&1 &
  wm_pid=$!
  sleep 1
  wait_for_wm
}

row_stop() { stop_pids "$bar_pid" "$wm_pid"; }
