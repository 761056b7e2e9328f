# KDE's compositor as in kwin-wayland.sh, with the toy a native Wayland
# client: its figures are layer surfaces. KWin places them by the exclusive
# zones of layer surfaces only, not by an X11 panel's strut, so the panel
# here is a bar on the layer shell (tests/wayland/wl_input, given as
# WL_INPUT) that reserves the bottom strip. The window below stays an X11
# one, through XWayland.
source "$(dirname "${BASH_SOURCE[0]}")/kwin-wayland.sh"
if ! grep -q zwlr_layer_shell_v1 "$prog" 2>/dev/null; then
  echo "skipped: $prog was built without its Wayland desktop"
  exit 77
fi
export KELVORY_DESKTOP=wayland
bar_height=30

row_needs() { echo kwin_wayland Xwayland Xvfb dbus-daemon gdbus xmessage xprop xdotool import "${WL_INPUT:-wl_input}"; }

row_start() {
  kwin_start || return 1
  nested_spawn panel "$WL_INPUT" bar "$bar_height"
  # KWin's own word on the work area, once the bar's zone is out of it.
  nested_wait eval 'bar_top=$(kwin_script "var a = workspace.clientArea(KWin.MaximizeArea, workspace.activeScreen,
    workspace.currentDesktop); out(a.y + a.height);"); ((bar_top > 0 && bar_top < height))'
}

# KWin lists layer surfaces among its windows, marked to skip the task bar
# and the switcher: the lists a user sees (those) leave them out.
row_windows() { kwin_windows '!c.skipTaskbar || !c.skipSwitcher'; }
row_active() { kwin_script 'if (workspace.activeClient) out(workspace.activeClient.resourceClass);'; }
row_find_window() {
  kwin_script "workspace.clientList().forEach(function (c) {
  if (c.caption == '$1' && !c.minimized && !c.hidden) out(id(c)); });" | head -n1
}
row_close_window() {
  kwin_script "workspace.clientList().forEach(function (c) { if (id(c) == '$1') c.closeWindow(); });"
}
