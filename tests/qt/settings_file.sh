#!/bin/bash
# The Qt program and its settings file on a virtual X screen:
# - a KVY.ini the user cannot read (mode 0200) is named in a box at start-up,
#   the game plays on, and the file is left exactly as it was, even by the
#   save at the end of the session;
# - a second copy on the same file says so in a box and ends, whatever its
#   XDG_RUNTIME_DIR; a copy on another file runs beside the first.
# As root (CI), the program runs as "nobody" where permissions count.
#
# usage: settings_file.sh path/to/kelvory
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -u

prog=${1:?usage: settings_file.sh path/to/kelvory}
work=$(mktemp -d)
pids=()
source "$(dirname "$0")/../lib/screen.sh"
require Xvfb xdotool
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

export QT_QPA_PLATFORM=xcb
chmod 755 "$work"
as_user=()
if (($(id -u) == 0)); then
  require setpriv
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

# A copy of the program in folder $1 (made and given to the user), run with
# XDG_RUNTIME_DIR set to $2 (unset when empty); sets pid.
start_in() {
  mkdir -p "$1"
  [[ -x $1/kelvory ]] || cp "$prog" "$1/kelvory"
  ((${#as_user[@]})) && chown -R 65534:65534 "$1"
  if [[ -n $2 ]]; then
    mkdir -p -m 700 "$2"
    ((${#as_user[@]})) && chown 65534:65534 "$2"
  fi
  (cd "$1" && exec env -u XDG_RUNTIME_DIR ${2:+XDG_RUNTIME_DIR="$2"} HOME="$work" \
    "${as_user[@]}" ./kelvory >>"$work/app.log" 2>&1) &
  pid=$!
  pids+=("$pid")
}

# The box captioned "Kelvory" shows within five seconds.
box_shows() {
  local _
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Kelvory$' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Answers the box with Enter.
answer_box() {
  local win
  win=$(xdotool search --onlyvisible --name '^Kelvory$' | head -n1)
  [[ -n $win ]] || return 1
  xdotool windowfocus "$win" 2>/dev/null
  sleep 0.3
  xdotool key Return
}

start_xvfb
xhost +local: >/dev/null 2>&1 || true

# 1. A file that cannot be read.
app="$work/app"
mkdir -p "$app"
printf '; mine\r\n[Data]\r\nTyouka=00500A%s\r\nComplete=1\r\n[Other]\r\nx=1\r\n' \
  "$(printf '0%.0s' $(seq 33))" >"$app/KVY.ini"
before=$(sha256sum <"$app/KVY.ini")
chmod 0200 "$app/KVY.ini"
if ((${#as_user[@]} == 0)); then
  [[ -r $app/KVY.ini ]] && { echo "skipped: this user reads a mode 0200 file"; exit 77; }
fi
start_in "$app" "$work/xdg1"
first=$pid
box_shows || fail "no box told that KVY.ini cannot be read"
answer_box
sleep 1
xdotool search --onlyvisible --name '^Kelvory$' >/dev/null 2>&1 && fail "the box did not close"
kill -0 "$first" 2>/dev/null || fail "kelvory ended after telling of an unreadable file"
kill -TERM "$first"
ends_cleanly "$first" SIGTERM
chmod 0644 "$app/KVY.ini"
[[ $(sha256sum <"$app/KVY.ini") == "$before" ]] || fail "the unreadable KVY.ini was changed"
ls "$app" | grep -q 'KVY.ini.tmp-' && fail "a temporary file was left behind"

# 2. Two copies on one file, with and without XDG_RUNTIME_DIR; one elsewhere.
start_in "$app" "$work/xdg1"
first=$pid
sleep 2
kill -0 "$first" 2>/dev/null || fail "kelvory did not start on a readable file"
start_in "$app" ""
second=$pid
box_shows || fail "a second copy showed no box"
answer_box
ends_cleanly "$second" "a second copy's box"
kill -0 "$first" 2>/dev/null || fail "the first copy died when a second one started"
start_in "$work/other" "$work/xdg1"
third=$pid
sleep 2
kill -0 "$third" 2>/dev/null || fail "a copy on another file was kept from running"
xdotool search --onlyvisible --name '^Kelvory$' >/dev/null 2>&1 && fail "a copy on another file showed a box"
kill -TERM "$first" "$third"
ends_cleanly "$first" SIGTERM
ends_cleanly "$third" SIGTERM
grep -q '^Tyouka=00500A' "$app/KVY.ini" || fail "the counts were not kept"
grep -q '^x=1' "$app/KVY.ini" || fail "the other section was lost"

finish qt.settings-file "$work/app.log"
