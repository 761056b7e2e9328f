# The checks of the toy's scene that every run on a screen shares (the Qt
# and Wine smoke tests, the desktop matrix). The scene stands on the ground
# line (the work area's bottom); positions are the design's at scale 1.
# Source after tests/lib/screen.sh. Input goes through `pointer X Y`,
# `button N down|up` and `key KEYS`, xdotool's unless defined before; a menu
# is given `settle` seconds (0.7) to show.
#   scene_at_rest FILE BEFORE GROUND   sea, angler cut to its outline, panel;
#                                      BEFORE: the screen without the toy
#   menu_opens_and_closes BEFORE GROUND   a right press on the reel button
#   cast_lands BEFORE GROUND NAME      two presses: the float lands on the sea
#   quit_saves GROUND INI              "終了" from the menu saves the catches
# An item of the open menu is chosen by `menu_choose first|last GROUND`, by
# keys unless defined before.

settle=${settle:-0.7}
declare -F pointer >/dev/null || pointer() { xdotool mousemove "$1" "$2"; }
declare -F button >/dev/null || button() { xdotool "mouse$2" "$1"; }
declare -F key >/dev/null || key() { xdotool key "$@"; }
declare -F menu_choose >/dev/null || menu_choose() {
  if [[ $1 == first ]]; then
    key Down Return
  else
    key Up
    sleep 0.3
    key Return
  fi
}

click() {  # click X Y N
  pointer "$1" "$2"
  button "$3" down
  button "$3" up
}

same() {  # same FILE BEFORE X Y WHAT: the pixel is what the screen had
  expect "$1" "$3" "$4" "$(pixel "$2" "$3" "$4")" "$5"
}

scene_at_rest() {
  local s=$1 g=$3
  expect "$s" 1000 $((g - 3)) 0000ff "sea top row"
  expect "$s" 1000 $((g - 1)) 0000ff "sea bottom row"
  expect "$s" $((width - 1)) $((g - 3)) 0000ff "sea at the right edge"
  expect "$s" 140 $((g - 1)) 0000ff "sea beside the angler"
  same "$s" "$2" 1000 $((g - 4)) "above the sea"
  same "$s" "$2" $((width / 2)) $((height / 2)) "empty screen"
  # The angler (50x48 at x 83): its bank is drawn, its black key colour is
  # cut away so what lies below shows through, not black.
  expect "$s" 90 $((g - 7)) 00a000 "angler's bank"
  same "$s" "$2" 120 $((g - 40)) "angler's cut-away corner"
  [[ $(pixel "$s" 120 $((g - 40))) != 000000 ]] || fail "angler's key colour shows black"
  # The control panel (83x15 at x 0): thin border, face, reel button.
  differ "$s" 0 $((g - 10)) "$(pixel "$2" 0 $((g - 10)))" "panel border"
  expect "$s" 75 $((g - 8)) 0000ff "reel button"
  same "$s" "$2" 40 $((g - 16)) "above the panel"
}

# The menu opens upwards from the pointer (its face may be as white as what
# lies below: changed pixels are counted, not one colour).
menu_opens_and_closes() {
  local changed
  click 75 $(($2 - 8)) 3
  sleep "$settle"
  shot "$work/menu.rgb"
  changed=$(count_changed "$1" "$work/menu.rgb" $(($2 - 130)) $(($2 - 20)))
  ((changed > 200)) || fail "right click on the reel button showed no menu ($changed pixels changed)"
  key Escape
  sleep "$settle"
  shot "$work/after.rgb"
  changed=$(count_changed "$1" "$work/after.rgb" $(($2 - 130)) $(($2 - 20)))
  ((changed == 0)) || fail "the menu did not close ($changed pixels differ)"
}

# Two presses on the reel button: the meter starts, then the cast. The
# float flies out and lands on the water right of the angler.
cast_lands() {
  local changed seen=0 _
  click 75 $(($2 - 8)) 1
  sleep 0.3
  button 1 down
  button 1 up
  # The flight takes longer on a busy machine: looked at for up to 8 s. The
  # float comes down through the band above the water, so it must be there
  # in two looks in a row.
  for _ in $(seq 16); do
    sleep 0.5
    shot "$work/cast.rgb"
    changed=$(count_changed "$1" "$work/cast.rgb" $(($2 - 40)) $(($2 - 4)) 140)
    ((changed > 20)) && ((++seen == 2)) && break
    ((changed > 20)) || seen=0
  done
  keep "$3" "$work/cast.rgb"
  ((changed > 20)) || fail "no float on the water after the cast ($changed pixels changed)"
  expect "$work/cast.rgb" 1000 $(($2 - 2)) 0000ff "sea after the cast"
}

# "終了" is the menu's last item: it saves the catches (none yet) and ends
# the program.
quit_saves() {
  click 75 $(($1 - 8)) 3
  sleep "$settle"
  menu_choose last "$1"
  if ends_cleanly "$app_pid" 終了 100; then
    app_pid=""
    tr -d '\r' <"$2" 2>/dev/null | grep -qx 'Tyouka=0\{39\}' || fail "終了 saved no catches"
  fi
}
