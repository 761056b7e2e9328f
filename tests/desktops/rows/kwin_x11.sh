# KDE's window manager on X11, kwin_x11 with its compositor, on a session
# bus of its own, and a tint2 taskbar that reserves the screen's bottom.
source "$here/rows/x11.sh"
wm_pid="" bar_pid="" bus_pid=""

row_needs() { echo kwin_x11 tint2 dbus-daemon "$(x11_needs)"; }

row_start() {
  read -r DBUS_SESSION_BUS_ADDRESS bus_pid < <(dbus-daemon --session --fork --print-address=1 \
    --print-pid=1 | paste -s -d ' ')
  export DBUS_SESSION_BUS_ADDRESS
  start_wm kwin_x11
  tint2 >"$work/bar.log" 2>&1 &
  bar_pid=$!
  wait_for_workarea
  sleep 1
}

row_replace() {
  kwin_x11 --replace >>"$work/wm.log" 2>&1 &
  wm_pid=$!
  sleep 2
  wait_for_wm
}

row_stop() { stop_pids "$bar_pid" "$wm_pid" "$bus_pid"; }
