# sway, a tiling Wayland compositor, headless and drawing by software, with
# swaybar along the bottom. The toy is a native Wayland client (no XWayland
# here): its figures are layer surfaces, which sway's window list never
# shows and its IPC does not report. sway refuses to run as root, so as root
# the compositor, the toy and the row's clients run as nobody in a work
# folder it may enter. Input comes from a virtual pointer and keyboard
# (tests/wayland/wl_input, given as WL_INPUT); with scale=2 set before this
# is sourced, the output has twice the pixels on the same layout.
row_xvfb=no
scale=${scale:-1}
if ! grep -q zwlr_layer_shell_v1 "$prog" 2>/dev/null; then
  echo "skipped: $prog was built without its Wayland desktop"
  exit 77
fi
sway_pid="" input_pid=""
app_as=()
((EUID == 0)) && app_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
export KELVORY_DESKTOP=wayland

row_needs() { echo sway swaybar swaymsg swaybg grim jq setpriv "${WL_INPUT:-wl_input}"; }
row_tools() { echo; }

# Every view sway manages: "<con id> <app id> at=X,Y size=WxH <flags> name=<title>".
sway_views() {
  swaymsg -t get_tree | jq -r 'recurse(.nodes[]?, .floating_nodes[]?) | select(.pid?)
    | "\(.id) \(.app_id) at=\(.rect.x),\(.rect.y) size=\(.rect.width)x\(.rect.height)"
      + (if .type == "floating_con" then " floating" else "" end)
      + (if .fullscreen_mode > 0 then " fullscreen" else "" end)
      + (if .focused then " focused" else "" end)
      + (if .visible then "" else " hidden" end) + " name=\(.name)"'
}

# One line to the input client, answered once sway has it.
sway_input() {
  local answer
  [[ -n ${wl_input_io[1]:-} ]] || return 1
  echo "$*" >&"${wl_input_io[1]}"
  read -r -t 5 answer <&"${wl_input_io[0]}" && [[ $answer == ok ]]
}

row_start() {
  local _
  chmod 755 "$work"
  mkdir -p -m 700 "$work/xdg" "$work/config"
  ((EUID == 0)) && chown 65534:65534 "$work/xdg" "$work/config" "$HOME"
  export XDG_RUNTIME_DIR=$work/xdg
  unset DISPLAY WAYLAND_DISPLAY
  # A plain backdrop, no borders, a status line that stays as it is; the
  # pointer moves no focus, so only the checks' own requests do, and hides
  # at once, out of the screenshots.
  cat >"$work/sway.conf" <<CONF
output HEADLESS-1 mode $((width * scale))x$((height * scale)) scale $scale bg #336699 solid_color
default_border none
default_floating_border none
xwayland disable
focus_follows_mouse no
seat * hide_cursor 100
for_window [app_id="^below$"] floating enable
bar {
  position bottom
  status_command echo idle; exec sleep 600
}
CONF
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    ${app_as[@]+"${app_as[@]}"} sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  sway_pid=$!
  for _ in $(seq 100); do
    compgen -G "$work/xdg/sway-ipc.*.sock" >/dev/null && compgen -G "$work/xdg/wayland-[0-9]" >/dev/null && break
    sleep 0.1
  done
  SWAYSOCK=$(compgen -G "$work/xdg/sway-ipc.*.sock") || return 1
  WAYLAND_DISPLAY=$(basename "$(compgen -G "$work/xdg/wayland-[0-9]" | head -n1)")
  export SWAYSOCK WAYLAND_DISPLAY
  coproc wl_input_io { exec ${app_as[@]+"${app_as[@]}"} "$WL_INPUT" input "$width" "$height" 2>>"$work/input.log"; }
  input_pid=$wl_input_io_PID
  bar_settles show 100
  sleep 0.5
}

row_stop() {
  [[ -n $input_pid ]] && kill "$input_pid" 2>/dev/null
  [[ -n $sway_pid ]] && kill "$sway_pid" 2>/dev/null && wait "$sway_pid" 2>/dev/null
  return 0
}

row_windows() { sway_views; }

# sway's own word on the usable area: the workspace ends where the bar's
# exclusive zone begins, and reaches the bottom while the bar is hidden.
row_bar_top() {
  bar_top=$(swaymsg -t get_workspaces 2>/dev/null | jq '.[] | select(.focused) | .rect.y + .rect.height')
}

row_move_bar() {
  swaymsg bar mode "$([[ $1 == hide ]] && echo invisible || echo dock)" >/dev/null
}

row_lose_compositor() {
  kill "$sway_pid" && wait "$sway_pid" 2>/dev/null
  sway_pid=""
}

# grim takes the output at its scale; one pixel of each block is the
# layout's pixel.
row_screenshot() {
  ${app_as[@]+"${app_as[@]}"} grim -t png - >"$1" || return 1
  ((scale == 1)) || convert "$1" -sample "${width}x${height}!" "$1"
}
row_pointer() { sway_input move "$1" "$2"; }
row_button() { sway_input "$2" "$1"; }
row_key() {
  local keys
  for keys; do sway_input key "$keys"; done
}

row_our_windows() { :; }

# A layer surface without keyboard interactivity gets no keys here, nor
# does its menu: an item is clicked, as a user would, where the screenshot
# shows the menu (its rows right of the panel and the angler).
menu_choose() {  # menu_choose first|last GROUND
  local top bottom
  shot "$work/choose.rgb"
  read -r top bottom < <(cmp -l "$work/rest.rgb" "$work/choose.rgb" | awk -v w="$width" -v g="$2" '
    { p = int(($1 - 1) / 3); y = int(p / w); x = p % w
      if (x >= 140 && x < 200 && y > g - 200 && y < g - 3) { if (!top || y < top) top = y; if (y > bottom) bottom = y } }
    END { print top, bottom }')
  if [[ -z $top ]]; then
    echo "note: no menu to choose from"
    return
  fi
  if [[ $1 == first ]]; then click 160 $((top + 12)) 1; else click 160 $((bottom - 12)) 1; fi
}

# A floating window from below the top edge down to the bar; its clicks come
# in its own coordinates.
row_below() {
  local _ x y h
  ${app_as[@]+"${app_as[@]}"} "$WL_INPUT" below >"$work/below.log" 2>&1 &
  below_pid=$!
  for _ in $(seq 50); do
    below=$(sway_views | awk '$2 == "below" {print $1}')
    [[ -n $below ]] && break
    sleep 0.1
  done
  swaymsg "[con_id=$below] resize set $((width - 20)) $((bar_top - 40)), move position 10 40" >/dev/null
  sleep 0.5
  read -r x y _ h < <(sway_views | awk '$2 == "below" {sub(/^at=/, "", $3); sub(/^size=/, "", $4);
    split($3, at, ","); split($4, size, "x"); print at[1], at[2], size[1], size[2]}')
  below_x=$x below_y=$y below_bottom=$((y + h - 1))
}
below_clicks() { awk -v x="$below_x" -v y="$below_y" '$1 == "press" {print $3 + x, $4 + y}' "$work/below.log"; }
row_raise_below() { swaymsg "[con_id=$below] focus" >/dev/null; }
row_fullscreen() {
  local change=enable
  [[ $1 == off ]] && change=disable
  swaymsg "[con_id=$below] fullscreen $change" >/dev/null
}
row_active() { sway_views | awk '/ focused/ {print $2}'; }
row_find_window() { sway_views | awk -v name="name=$1" '!/ hidden/ && substr($0, index($0, " name=") + 1) == name {print $1}'; }
row_close_window() { swaymsg "[con_id=$1] kill" >/dev/null; }
