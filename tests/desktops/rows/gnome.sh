# GNOME Shell as a Wayland compositor with XWayland, nested in a window on a
# host Xvfb. It wants a session bus and, for its accounts and power
# services, a system bus; stand-ins that serve nothing do. Its own panel is
# the top bar; a tint2 along the bottom, whose strut the shell turns into
# the work area, stands in for a dock or a bottom panel extension. A small
# extension turns on the shell's unsafe mode, which opens its Eval call to
# the row: that is how the shell's own window list is read.
source "$(dirname "${BASH_SOURCE[0]}")/../nested.sh"
row_xvfb=no

row_needs() { echo gnome-shell Xwayland Xvfb dbus-daemon gdbus tint2 xprop xdotool import; }

gnome_eval() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.gnome.Shell.Eval "$1"
}

row_start() {
  local ext="$HOME/.local/share/gnome-shell/extensions/kelvory-row@tests"
  local settings="$HOME/.config/glib-2.0/settings"
  mkdir -p "$ext" "$settings" && mkdir -p -m 700 "$work/xdg"
  export XDG_RUNTIME_DIR="$work/xdg"
  cat >"$ext/metadata.json" <<'JSON'
{ "uuid": "kelvory-row@tests", "name": "Row access", "description": "Opens Eval for the tests",
  "shell-version": ["43"] }
JSON
  cat >"$ext/extension.js" <<'JS'
/* exported init */
function init() {
    return {
        enable() { global.context.unsafe_mode = true; },
        disable() { global.context.unsafe_mode = false; },
    };
}
JS
  # Settings in a plain file rather than dconf: a plain backdrop, no
  # animations (a screenshot shows the settled state), no blanking.
  cat >"$settings/keyfile" <<'INI'
[org/gnome/shell]
enabled-extensions=['kelvory-row@tests']

[org/gnome/desktop/background]
picture-options='none'
primary-color='#023c88'
color-shading-type='solid'

[org/gnome/desktop/interface]
enable-animations=false

[org/gnome/desktop/session]
idle-delay=uint32 0
INI
  nested_host && nested_bus session && nested_bus system || return 1
  XDG_CONFIG_HOME="$HOME/.config" GSETTINGS_BACKEND=keyfile XDG_SESSION_TYPE=wayland \
    MUTTER_DEBUG_DUMMY_MODE_SPECS="${width}x${height}" DISPLAY=$host_display \
    nested_spawn shell gnome-shell --nested --wayland --wayland-display=kelvory-gnome
  export WAYLAND_DISPLAY=kelvory-gnome
  nested_wait grep -q 'Using public X11 display' "$work/shell.log" || return 1
  sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/shell.log" >"$work/xwayland-display"
  local auth=("$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*)
  export XAUTHORITY=${auth[0]}
  nested_xwayland "$work/xwayland-display" || return 1
  nested_wait eval 'gnome_eval 1 | grep -q true' || return 1
  # The shell starts in its overview; the desktop is what the toy lives on.
  gnome_eval 'Main.overview.hide(); Main.messageTray.getSources().forEach(s => s.destroy());' >/dev/null
  nested_wait eval '[[ $(gnome_eval Main.overview.visible) == *false* ]]' || return 1
  nested_spawn panel tint2
  nested_wait eval 'bar_top=$(nested_workarea_bottom); ((bar_top > 0 && bar_top < height))' || return 1
  # Until the nested shell has seen a button, it passes XWayland no motion
  # within a window, only the entering: a click on the empty desktop first.
  # The shell draws the pointer into its screenshots: it then waits by the
  # top right corner, where no check looks.
  nested_pointer $((width / 2)) $((height / 2))
  nested_button 1 down
  nested_button 1 up
  nested_pointer $((width - 8)) 60
}

row_stop() { nested_stop; }

# The shell's own list: every window it manages (override-redirect ones it
# only draws), marked skipSwitcher when Alt+Tab leaves it out.
row_windows() {
  local list="$work/windows.txt"
  rm -f "$list"
  gnome_eval "
    const { GLib, Meta } = imports.gi;
    const tab = imports.ui.altTab.getWindows(null);
    const typeName = t => Object.keys(Meta.WindowType).find(k => Meta.WindowType[k] === t).toLowerCase();
    const lines = global.display.list_all_windows().filter(w => !w.is_override_redirect()).map(w => {
      const r = w.get_frame_rect(), f = [typeName(w.get_window_type())];
      if (w.is_skip_taskbar()) f.push('skipTaskbar');
      if (!tab.includes(w)) f.push('skipSwitcher');
      if (w.is_above()) f.push('keepAbove');
      if (w.get_transient_for()) f.push('transient');
      if (w.minimized) f.push('minimized');
      if (w.is_hidden()) f.push('hidden');
      if (w.has_focus()) f.push('focused');
      return w.get_description() + ' ' + w.get_wm_class() + ' at=' + r.x + ',' + r.y +
        ' size=' + r.width + 'x' + r.height + ' ' + f.join(' ');
    });
    GLib.file_set_contents('$list', lines.map(l => l + String.fromCharCode(10)).join(''));" >/dev/null
  cat "$list"
}

row_screenshot() { nested_screenshot "$1"; }
row_pointer() { nested_pointer "$1" "$2"; }
row_button() { nested_button "$1" "$2"; }
row_key() { nested_key "$@"; }
