#!/bin/bash
# Checks the Debian package as a user would get it: lintian finds no error,
# its AppStream metadata and desktop entry validate and carry Japanese
# texts beside the English, it holds a stripped program with its desktop
# entry, icons, manual and copyright, and the program unpacked from
# it runs on a virtual screen and keeps its catches in the user's
# ~/.config/kelvory/KVY.ini.
#
# usage: deb.sh path/to/kelvory_<version>_amd64.deb
# Exits 77 (skipped) when lintian, appstreamcli, desktop-file-validate,
# Xvfb or ImageMagick is missing.
set -u

deb=${1:?usage: deb.sh path/to/kelvory.deb}
work=$(mktemp -d)
app_pid=""
source "$(dirname "$0")/../lib/screen.sh"
require dpkg-deb lintian appstreamcli desktop-file-validate file Xvfb xdotool import convert od cmp
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
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "Depends lacks Qt: $depends"

prog="$root/usr/games/kelvory"
[[ -x $prog ]] || { echo "FAIL: no program in usr/games"; exit 1; }
file "$prog" | grep -q ', stripped' || fail "program not stripped: $(file "$prog")"
# The Wayland desktop's module where the program looks for it, stripped,
# and its libraries among the package's dependencies.
module="$root/usr/lib/games/kelvory/kelvory-wayland.so"
file "$module" | grep -q 'shared object.*, stripped' || fail "Wayland module: $(file "$module")"
[[ $depends == *libwayland-client0* && $depends == *libpango* ]] ||
  fail "Depends lacks the Wayland desktop's libraries: $depends"
for f in usr/share/applications/kelvory.desktop usr/share/man/man6/kelvory.6.gz \
  usr/share/doc/kelvory/copyright usr/share/doc/kelvory/changelog.gz; do
  [[ -s $root/$f ]] || fail "no $f"
done
entry="$root/usr/share/applications/kelvory.desktop"
grep -qx 'Icon=kelvory' "$entry" || fail "desktop entry names no icon"
desktop-file-validate "$entry" || fail "desktop-file-validate"
# The toy speaks Japanese: its menu entry and software-centre page do too,
# beside the English, and say the same in both places.
metainfo="$root/usr/share/metainfo/org.kelvory.Kelvory.metainfo.xml"
japanese() { LC_ALL=C.UTF-8 grep -qP '^[^\x00-\x7f]' <<<"$1"; }
for key in Name GenericName Comment Keywords; do
  english=$(sed -n "s/^$key=//p" "$entry")
  ja=$(sed -n "s/^$key\[ja\]=//p" "$entry")
  [[ -n $english ]] || fail "desktop entry: no $key"
  japanese "$ja" || fail "desktop entry: $key[ja] is not Japanese: '$ja'"
done
ja_element() { sed -n "s|^ *<$1 xml:lang=\"ja\">\(.*\)</$1>\$|\1|p" "$metainfo"; }
[[ $(ja_element name) == "$(sed -n 's/^Name\[ja\]=//p' "$entry")" ]] ||
  fail "metainfo: Japanese name '$(ja_element name)' is not the desktop entry's"
[[ $(ja_element summary) == "$(sed -n 's/^Comment\[ja\]=//p' "$entry")" ]] ||
  fail "metainfo: Japanese summary '$(ja_element summary)' is not the desktop entry's comment"
english_paragraphs=$(sed -n '/<description>/,/<\/description>/p' "$metainfo" | sed '/<releases>/,$d' |
  grep -c '^ *<p>$')
ja_paragraphs=$(sed '/<releases>/,$d' "$metainfo" | grep -c '^ *<p xml:lang="ja">$')
((ja_paragraphs > 0 && ja_paragraphs == english_paragraphs)) ||
  fail "metainfo: $ja_paragraphs Japanese description paragraphs for $english_paragraphs English"
while read -r line; do
  japanese "$line" || fail "metainfo: a Japanese paragraph is not Japanese: '$line'"
done < <(sed '/<releases>/,$d' "$metainfo" | sed -n '/<p xml:lang="ja">/{n;p}' | sed 's/^ *//')
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
# Told to run on a Wayland compositor where none answers, a program ends
# (status 1) with one line on why: the installed one has found and loaded
# its module, which says no compositor answers; a copy without its module,
# then with a damaged one, says which.
forced_wayland() {  # forced_wayland PROGRAM WHAT MESSAGE
  local said status=0
  said=$(KELVORY_DESKTOP=wayland WAYLAND_DISPLAY=kelvory-none XDG_RUNTIME_DIR="$work/xdg" \
    "$1" 2>&1) || status=$?
  [[ $status == 1 && $said == *"$3"* && $(wc -l <<<"$said") == 1 ]] ||
    fail "$2: status $status, said: $said"
}
forced_wayland "$prog" "the installed program" "no Wayland compositor"
mkdir "$work/alone"
cp "$prog" "$work/alone/kelvory"
forced_wayland "$work/alone/kelvory" "no module" \
  "Wayland desktop (kelvory-wayland.so) is neither beside the program nor in"
echo "not a module" >"$work/alone/kelvory-wayland.so"
forced_wayland "$work/alone/kelvory" "a damaged module" "Wayland desktop did not load"
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
expect "$work/run.rgb" 90 1073 00a000 "angler's bank"
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

finish packaging.deb "$work/app.log"
