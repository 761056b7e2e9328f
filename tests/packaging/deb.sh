#!/bin/bash
# Checks the Debian package as a user would get it: lintian finds no error,
# its AppStream metadata validates, it holds a stripped program with its
# desktop entry, icons, manual and copyright, and the program unpacked from
# it runs on a virtual screen and keeps its catches in the user's
# ~/.config/kelvory/KVY.ini.
#
# usage: deb.sh path/to/kelvory_<version>_amd64.deb
# Exits 77 (skipped) when lintian, appstreamcli, Xvfb or ImageMagick is
# missing.
set -u

deb=${1:?usage: deb.sh path/to/kelvory.deb}
work=$(mktemp -d)
app_pid=""
source "$(dirname "$0")/../lib/screen.sh"
require dpkg-deb lintian appstreamcli file Xvfb xdotool import convert od cmp
cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
[[ -f $deb ]] || { echo "FAIL: $deb does not exist"; exit 1; }

# Errors fail; what remains is shown. Lintian only grumbles about root.
lintian --fail-on error --info "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: errors"
grep -v '^running with root privileges' "$work/lintian.log"

root="$work/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml ||
  fail "appstreamcli validate"
[[ $(dpkg-deb -f "$deb" Depends) == *libqt6widgets6* ]] || fail "Depends lacks Qt: $(dpkg-deb -f "$deb" Depends)"

prog="$root/usr/games/kelvory"
[[ -x $prog ]] || { echo "FAIL: no program in usr/games"; exit 1; }
file "$prog" | grep -q ', stripped' || fail "program not stripped: $(file "$prog")"
for f in usr/share/applications/kelvory.desktop usr/share/man/man6/kelvory.6.gz \
  usr/share/doc/kelvory/copyright usr/share/doc/kelvory/changelog.gz; do
  [[ -s $root/$f ]] || fail "no $f"
done
grep -qx 'Icon=kelvory' "$root/usr/share/applications/kelvory.desktop" || fail "desktop entry names no icon"
for size in 16 22 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/kelvory.png"
  file "$png" 2>&1 | grep -q "PNG image data, $size x $size" || fail "icon $size: $(file "$png")"
done
# Nearest neighbour from 32 x 32: every 8 x 8 block of the 256-pixel icon
# is one colour.
blocks=$(convert "$root/usr/share/icons/hicolor/256x256/apps/kelvory.png" -filter point \
  -resize 32x32 -filter point -resize 256x256 rgb:- |
  cmp - <(convert "$root/usr/share/icons/hicolor/256x256/apps/kelvory.png" rgb:-) && echo same)
[[ $blocks == same ]] || fail "the 256-pixel icon is not crisp"

# The unpacked program with a home of its own: "終了" from the menu saves
# the catches in ~/.config/kelvory/KVY.ini, and nothing beside the program.
home="$work/home"
mkdir -p "$home" "$work/xdg"
chmod 700 "$work/xdg"
start_xvfb
(
  unset XDG_CONFIG_HOME
  export HOME="$home" XDG_RUNTIME_DIR="$work/xdg" QT_QPA_PLATFORM=xcb
  exec "$prog" >"$work/app.log" 2>&1
) &
app_pid=$!
sleep 2
kill -0 "$app_pid" 2>/dev/null || { echo "FAIL: kelvory exited early"; cat "$work/app.log"; exit 1; }
shot "$work/run.rgb"
expect "$work/run.rgb" 1000 1078 0000ff "sea"
expect "$work/run.rgb" 90 1073 00a000 "angler's boat"
xdotool mousemove 75 1072 click 3
sleep 0.7
xdotool key Up Return
if ends_cleanly "$app_pid" 終了; then
  app_pid=""
  grep -q '^Tyouka=0\{39\}' "$home/.config/kelvory/KVY.ini" 2>/dev/null ||
    fail "終了 saved no catches in ~/.config/kelvory/KVY.ini"
fi
left=$(find "$root" -name KVY.ini)
[[ -z $left ]] || fail "a settings file beside the program: $left"

if ((failures)); then
  echo "--- kelvory output"
  cat "$work/app.log"
  echo "packaging.deb: $failures check(s) failed"
  exit 1
fi
echo "packaging.deb: all checks passed"
