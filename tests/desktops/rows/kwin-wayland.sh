# KDE's compositor with XWayland, nested in a window on a host Xvfb and
# drawing by software (no GPU here, and KWin takes screenshots only from the
# window it draws into then). tint2 is the panel: it reserves its strip by a
# strut, which KWin turns into the work area. Without Plasma's shell there is
# no wallpaper, so a plain window that a rule makes the desktop stands in.
source "$(dirname "${BASH_SOURCE[0]}")/../nested.sh"
row_xvfb=no

row_needs() { echo kwin_wayland Xwayland Xvfb dbus-daemon gdbus tint2 xmessage xprop xdotool import; }

# KWin with XWayland and the backdrop, without a panel.
kwin_start() {
  local backdrop='#4f8fbf'
  local config="$HOME/.config"
  mkdir -p "$config" && mkdir -p -m 700 "$work/xdg"
  export XDG_RUNTIME_DIR="$work/xdg"
  # No animations, so a screenshot shows the settled state.
  printf '[KDE]\nAnimationDurationFactor=0\n' >"$config/kdeglobals"
  cat >"$config/kwinrulesrc" <<RULES
[General]
count=1
rules=backdrop

[backdrop]
Description=desktop backdrop
wmclass=xmessage
wmclassmatch=1
title=kelvory backdrop
titlematch=1
type=1
typerule=2
position=0,0
positionrule=2
size=$width,$height
sizerule=2
skiptaskbar=true
skiptaskbarrule=2
skippager=true
skippagerrule=2
skipswitcher=true
skipswitcherrule=2
RULES
  nested_host && nested_bus session || return 1
  # The installed binary carries a file capability that a container refuses
  # to execute; a copy drops it.
  cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
  # KWin runs this once XWayland is up, with DISPLAY set.
  XDG_CONFIG_HOME="$config" KWIN_COMPOSE=Q QT_LOGGING_RULES="kwin_scripting=true" \
    nested_spawn kwin "$work/kwin_wayland" --x11-display "$host_display" \
    --width "$width" --height "$height" --xwayland --socket kelvory-kwin \
    --no-lockscreen --no-global-shortcuts --no-kactivities \
    "sh -c 'echo \$DISPLAY >$work/xwayland-display'"
  export WAYLAND_DISPLAY=kelvory-kwin
  nested_xwayland "$work/xwayland-display" || return 1
  nested_spawn backdrop xmessage -title 'kelvory backdrop' -bg "$backdrop" -fg "$backdrop" -xrm '*borderWidth: 0' -buttons '' ' '
  nested_wait xdotool search --onlyvisible --name 'kelvory backdrop' >/dev/null
}

row_start() {
  # This row is the X11 desktop through XWayland; KWin's layer shell would
  # otherwise get the native one.
  export KELVORY_DESKTOP=x11
  kwin_start || return 1
  nested_spawn panel tint2
  # The panel is up once its strut has shrunk the work area.
  nested_wait eval 'bar_top=$(nested_workarea_bottom); ((bar_top > 0 && bar_top < height))'
}

row_stop() { nested_stop; }

# Runs a script inside KWin; what it passes to out() is printed (KWin
# prints it into its log). id(c) names a window: its X11 id, or KWin's own
# for a Wayland one.
kwin_script() {
  local mark="kvy-$RANDOM" script="$work/script.js" id
  cat >"$script" <<JS
function out(s) { print("$mark " + s); }
function id(c) { return c.windowId ? "0x" + c.windowId.toString(16) : c.internalId.toString().replace(/[{}]/g, ""); }
$1
JS
  id=$(gdbus call --session --dest org.kde.KWin --object-path /Scripting \
    --method org.kde.kwin.Scripting.loadScript "$script" "$mark" | tr -dc 0-9)
  gdbus call --session --dest org.kde.KWin --object-path "/$id" \
    --method org.kde.kwin.Script.run >/dev/null
  sleep 0.3
  gdbus call --session --dest org.kde.KWin --object-path /Scripting \
    --method org.kde.kwin.Scripting.unloadScript "$mark" >/dev/null
  sed -n "s/.*$mark //p" "$work/kwin.log" | tr -d '"'
}

# KWin's own list: every window with its flags (those of FILTER, a script
# condition on c, when given).
kwin_windows() {
  kwin_script "
workspace.clientList().filter(function (c) { return ${1:-true}; }).forEach(function (c) {
  var g = c.frameGeometry, f = [];
  ['normalWindow', 'utility', 'dialog', 'dock', 'desktopWindow', 'popupMenu', 'tooltip',
   'skipTaskbar', 'skipSwitcher', 'skipPager', 'keepAbove', 'transient', 'minimized', 'hidden']
    .forEach(function (p) { if (c[p]) f.push(p); });
  out(id(c) + ' ' + c.resourceClass + ' at=' + g.x + ',' + g.y + ' size=' + g.width + 'x' + g.height
      + ' ' + f.join(' '));
});"
}
row_windows() { kwin_windows; }

row_screenshot() { nested_screenshot "$1"; }
row_pointer() { nested_pointer "$1" "$2"; }
row_button() { nested_button "$1" "$2"; }
row_key() { nested_key "$@"; }
