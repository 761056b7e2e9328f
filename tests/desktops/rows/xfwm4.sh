# XFCE: xfwm4 with its compositor and an xfce4-panel along the bottom (task
# list, pager, clock at the right end), on a session bus of its own for their settings.
source "$here/rows/x11.sh"
wm_pid="" bar_pid="" bus_pid=""

row_needs() { echo xfwm4 xfce4-panel dbus-daemon "$(x11_needs)"; }

row_start() {
  local conf=$HOME/.config/xfce4/xfconf/xfce-perchannel-xml plugins="" i=1 plugin
  mkdir -p "$conf"
  # A separator that takes the room left puts the clock at the right end.
  for plugin in tasklist pager separator clock; do
    plugins+="<property name=\"plugin-$i\" type=\"string\" value=\"$plugin\">"
    [[ $plugin == separator ]] && plugins+='<property name="expand" type="bool" value="true"/>'
    plugins+="</property>"
    i=$((i + 1))
  done
  cat >"$conf/xfce4-panel.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=10;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/><value type="int" value="2"/><value type="int" value="3"/>
        <value type="int" value="4"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">$plugins</property>
</channel>
XML
  read -r DBUS_SESSION_BUS_ADDRESS bus_pid < <(dbus-daemon --session --fork --print-address=1 \
    --print-pid=1 | paste -s -d ' ')
  export DBUS_SESSION_BUS_ADDRESS
  start_wm xfwm4 --compositor=on
  xfce4-panel --disable-wm-check >"$work/bar.log" 2>&1 &
  bar_pid=$!
  wait_for_workarea
  sleep 1
}

row_replace() {
  xfwm4 --compositor=on --replace >>"$work/wm.log" 2>&1 &
  wm_pid=$!
  sleep 2
  wait_for_wm
}

row_stop() { stop_pids "$bar_pid" "$wm_pid" "$bus_pid"; }
