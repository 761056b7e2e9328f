# Shared by the rows whose compositor runs nested in a window on a host Xvfb
# of its own and serves the toy through its XWayland: the host screen shows
# exactly what the compositor composites, and input injected on the host
# reaches the toy through the compositor, as a user's would.
#   nested_host               a host Xvfb of $width x $height; sets host_display
#   nested_bus session|system a bus in $work; exports DBUS_SESSION/SYSTEM_BUS_ADDRESS
#   nested_spawn NAME CMD...  CMD in a process group of its own, output in $work/NAME.log
#   nested_stop               ends every group started, then the host
#   nested_xwayland FILE      waits for FILE to name the XWayland display; exports DISPLAY
#   nested_workarea_bottom    the bottom row of _NET_WORKAREA on that display
#   nested_pointer X Y, nested_button N down|up, nested_key KEYS..., nested_screenshot FILE
#                             the row functions, all on the host screen

[[ -v nested_pids ]] || nested_pids=()

nested_spawn() {
  local name=$1
  shift
  setsid "$@" >"$work/$name.log" 2>&1 &
  nested_pids+=($!)
}

# Waits up to ten seconds for a condition.
nested_wait() {
  local _
  for _ in $(seq 50); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

nested_host() {
  nested_spawn host Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$work/host-display"
  nested_wait test -s "$work/host-display" || return 1
  host_display=":$(head -n1 "$work/host-display")"
}

# A bus that activates no services, so nothing starts behind the row's back;
# the compositors get by without them.
nested_bus() {  # nested_bus session|system
  local bus="$work/$1-bus"
  cat >"$work/$1-bus.conf" <<CONF
<busconfig>
  <type>$1</type>
  <listen>unix:path=$bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  nested_spawn "$1-bus" dbus-daemon --nofork --config-file="$work/$1-bus.conf"
  nested_wait test -S "$bus" || return 1
  if [[ $1 == system ]]; then
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$bus"
  else
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$bus"
  fi
}

nested_xwayland() {
  nested_wait test -s "$1" || return 1
  DISPLAY=$(head -n1 "$1")
  export DISPLAY
  nested_wait xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1
}

nested_workarea_bottom() {
  xprop -root _NET_WORKAREA | awk -F'[=,]' '/_NET_WORKAREA/ { print $3 + $5 }'
}

# Ends each group politely, then by force after two seconds; the host goes
# last so that no compositor loses its window while still running.
nested_stop() {
  local pid _
  for ((i = ${#nested_pids[@]} - 1; i >= 0; i--)); do
    pid=${nested_pids[i]}
    kill -TERM -- "-$pid" 2>/dev/null || continue
    for _ in $(seq 20); do
      kill -0 -- "-$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL -- "-$pid" 2>/dev/null
    { wait "$pid"; } 2>/dev/null
  done
  nested_pids=()
}

# Input goes to the host window, so the compositor routes it as it would a
# user's. XWayland 22 misplaces the pointer after a jump between surfaces:
# land beside the target first, then step one pixel onto it.
nested_pointer() {
  local x=$1 y=$2 beside=$(($1 > 0 ? $1 - 1 : $1 + 1))
  DISPLAY=$host_display xdotool mousemove "$beside" "$y" sleep 0.1 mousemove "$x" "$y" sleep 0.1
}

nested_button() {
  local action=mousedown
  [[ $2 == up ]] && action=mouseup
  DISPLAY=$host_display xdotool "$action" "$1"
}

nested_key() { DISPLAY=$host_display xdotool key "$@"; }

nested_screenshot() { DISPLAY=$host_display import -window root "$1"; }
