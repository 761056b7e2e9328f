# Helpers for the tests that run a real program on a virtual X screen and
# look at its pixels. Source it after setting `work` (a scratch folder);
# it defines width and height (1920x1080) and:
#   require TOOL...       exit 77 (skipped) unless every tool is installed
#   fail, finish          as in checks.sh
#   start_xvfb            a fresh Xvfb with a white root; sets DISPLAY
#   stop_xvfb
#   shot FILE             a raw RGB screenshot of the root window
#   pixel FILE X Y        a pixel's colour as six hex digits
#   expect FILE X Y RGB WHAT, differ FILE X Y RGB WHAT
#   count_changed A B TOP BOTTOM [LEFT [RIGHT]]  how many pixels differ in
#                         those rows (and columns, right exclusive)
#   panel_unchanged BEFORE SHOT WHEN  the panel's task area is as in BEFORE
#   keep NAME FILE        the bottom strip as $ARTIFACTS/NAME.png, if set
#   ends_cleanly PID WHY [TENTHS]   the program leaves in time (5 s) with status 0
#   wait_for_sea PID FILE  waits until the program has drawn the sea
#   start_qt_program PROG  runs a copy of the Qt program in $work/app, its
#                         output in $work/app.log, its catches in $settings
#                         ($work/config/kelvory/KVY.ini); sets app_pid. With
#                         the array app_as set, through that command (a user)

source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

width=1920
height=1080
xvfb_pid=""

require() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is not installed"
      exit 77
    fi
  done
}

# A white root (-wr) makes a pixel cut out of a black-keyed picture easy to
# tell from one the picture left black. -displayfd picks a free display.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -wr -nolisten tcp \
    3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  local _
  for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
  done
  if [[ ! -s $work/display ]]; then
    echo "FAIL: Xvfb did not start"
    cat "$work/xvfb.log"
    exit 1
  fi
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
  # Named is not yet answering: under load a client started at once could
  # not open the display.
  command -v xdpyinfo >/dev/null 2>&1 || return 0
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "FAIL: Xvfb does not answer on $DISPLAY"
  cat "$work/xvfb.log"
  exit 1
}

stop_xvfb() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}

shot() { import -window root -depth 8 "rgb:$1"; }

# A copy, not the build output (with the Wayland desktop's module that lies
# beside it), with a configuration folder of its own for KVY.ini. It has
# two seconds to draw itself; ending sooner is a failure of its own.
start_qt_program() {
  export QT_QPA_PLATFORM=xcb
  export XDG_RUNTIME_DIR="$work/xdg"
  export XDG_CONFIG_HOME="$work/config"
  settings="$XDG_CONFIG_HOME/kelvory/KVY.ini"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  mkdir -p "$work/app"
  cp "$1" "$work/app/kelvory"
  local module
  module="$(dirname "$1")/kelvory-wayland.so"
  [[ ! -f $module ]] || cp "$module" "$work/app/"
  (cd "$work/app" && exec ${app_as[@]+"${app_as[@]}"} ./kelvory >"$work/app.log" 2>&1) &
  app_pid=$!
  sleep 2
  if ! kill -0 "$app_pid" 2>/dev/null; then
    echo "FAIL: kelvory exited early"
    cat "$work/app.log"
    exit 1
  fi
}

# Waits up to a minute for program PID to draw the sea (Wine starts its
# services on a first run: wait for the sea, not a time). Fails when the
# program ends or the sea never comes; the last screenshot is FILE.
wait_for_sea() {  # wait_for_sea PID FILE
  local _
  for _ in $(seq 120); do
    kill -0 "$1" 2>/dev/null || return 1
    shot "$2"
    [[ $(pixel "$2" 1000 1078) == 0000ff ]] && return 0
    sleep 0.5
  done
  return 1
}

pixel() { od -An -tx1 -j $((($3 * width + $2) * 3)) -N3 "$1" | tr -d ' \n'; }

expect() {
  local got
  got=$(pixel "$1" "$2" "$3")
  [[ $got == "$4" ]] || fail "$5: pixel ($2,$3) is $got, expected $4"
}

differ() {
  local got
  got=$(pixel "$1" "$2" "$3")
  [[ $got != "$4" ]] || fail "$5: pixel ($2,$3) is still $got"
}

count_changed() {
  cmp -l "$1" "$2" | awk -v w="$width" -v top="$3" -v bottom="$4" -v left="${5:-0}" \
    -v right="${6:-$width}" '
    { p = int(($1 - 1) / 3); y = int(p / w); x = p % w
      if (y >= top && y <= bottom && x >= left && x < right) seen[p] = 1 }
    END { n = 0; for (k in seen) n++; print n }'
}

# The panel from $bar_top down, but for its right 300 pixels (the clock),
# is as it was in BEFORE: no task of ours came to it.
panel_unchanged() {  # panel_unchanged BEFORE SHOT WHEN
  local changed
  changed=$(count_changed "$1" "$2" "$bar_top" "$height" 0 $((width - 300)))
  ((changed == 0)) || fail "$3: the panel changed ($changed pixels): a task of ours?"
}

keep() {
  [[ -n ${ARTIFACTS:-} ]] || return 0
  mkdir -p "$ARTIFACTS"
  convert -size "${width}x${height}" -depth 8 "rgb:$2" -crop "${width}x160+0+$((height - 160))" \
    +repage "$ARTIFACTS/$1.png"
}

ends_cleanly() {
  local _ rc=0
  for _ in $(seq "${3:-50}"); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$1" 2>/dev/null; then
    fail "kelvory did not end on $2"
    return 1
  fi
  wait "$1" || rc=$?
  [[ $rc == 0 ]] || fail "kelvory exited with $rc on $2"
}
