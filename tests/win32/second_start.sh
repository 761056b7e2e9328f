#!/bin/bash
# The Windows build under Wine: a second copy started on the same KVY.ini
# says so in a box captioned "Kelvory" and ends; the first runs on; a copy
# in another folder (another KVY.ini) runs beside them.
#
# usage: second_start.sh path/to/kelvory.exe
# Exits 77 (skipped) when Wine, Xvfb or xdotool is missing.
set -u

prog=${1:?usage: second_start.sh path/to/kelvory.exe}
work=$(mktemp -d)
pids=()
source "$(dirname "$0")/../lib/screen.sh"
require Xvfb xdotool import od
source "$(dirname "$0")/../lib/wine.sh"
[[ -f $prog ]] || { echo "FAIL: $prog does not exist"; exit 1; }
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill -KILL "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  [[ -d $WINEPREFIX ]] && "$wineserver" -k 2>/dev/null
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb
boot_prefix

# A copy of the program in folder $1; sets pid.
start_in() {
  mkdir -p "$1"
  [[ -f $1/kelvory.exe ]] || cp "$prog" "$1/kelvory.exe"
  (cd "$1" && exec "$wine" ./kelvory.exe >>"$work/app.log" 2>&1) &
  pid=$!
  pids+=("$pid")
}

box() { xdotool search --onlyvisible --name '^Kelvory$' 2>/dev/null | head -n1; }

start_in "$work/app"
first=$pid
# Wine starts its services on the first run: wait for the sea, not a time.
for _ in $(seq 120); do
  shot "$work/run.rgb"
  [[ $(pixel "$work/run.rgb" 1000 1078) == 0000ff ]] && break
  sleep 0.5
done
kill -0 "$first" 2>/dev/null || { echo "FAIL: kelvory exited early"; cat "$work/app.log"; exit 1; }

start_in "$work/app"
second=$pid
win=""
for _ in $(seq 100); do
  win=$(box)
  [[ -n $win ]] && break
  sleep 0.2
done
if [[ -z $win ]]; then
  fail "a second copy showed no box"
else
  xdotool windowfocus "$win" 2>/dev/null
  sleep 0.3
  xdotool key Return
  ends_cleanly "$second" "a second copy's box" 100
fi
kill -0 "$first" 2>/dev/null || fail "the first copy died when a second one started"

start_in "$work/other"
third=$pid
sleep 6
kill -0 "$third" 2>/dev/null || fail "a copy on another file was kept from running"
[[ -z $(box) ]] || fail "a copy on another file showed a box"

finish win32.second-start "$work/app.log"
