#!/bin/sh
# The template desktop runs the game, and a second copy on the same
# settings file says so and ends while the first runs on.
# Usage: second_start.sh <kelvory-template>
set -eu
program=$1
dir=$(mktemp -d)
first=
cleanup() {
  [ -n "$first" ] && kill "$first" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir"

"$program" 2>first.err &
first=$!
sleep 2
kill -0 "$first" || { echo "the first copy ended:"; cat first.err; exit 1; }

timeout 20 "$program" 2>second.err || { echo "the second copy failed or hung"; exit 1; }
grep -q "はすでに起動しています" second.err || { echo "the second copy did not say so:"; cat second.err; exit 1; }
kill -0 "$first" || { echo "the first copy ended with the second"; exit 1; }
echo "template desktop: runs, and a second copy ends"
