#!/bin/bash
# Installs the Windows installer silently under Wine, as a user would from
# a script: the program, its uninstaller, the Start-menu shortcut and the
# "Apps & features" entry are there, the start with Windows only when asked
# for; the installed program runs and keeps its catches beside itself; a
# silent uninstall leaves nothing behind but those catches.
#
# usage: windows-installer.sh path/to/kelvory-<version>-setup.exe path/to/kelvory.exe
# Exits 77 (skipped) when Wine, Xvfb, xdotool or ImageMagick is missing.
set -u

setup=${1:?usage: windows-installer.sh setup.exe kelvory.exe}
exe=${2:?usage: windows-installer.sh setup.exe kelvory.exe}
work=$(mktemp -d)
app_pid=""
source "$(dirname "$0")/../lib/screen.sh"
require Xvfb xdotool import od
source "$(dirname "$0")/../lib/wine.sh"
cleanup() {
  [[ -n $app_pid ]] && kill -KILL "$app_pid" 2>/dev/null
  [[ -d $WINEPREFIX ]] && "$wineserver" -k 2>/dev/null
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
for f in "$setup" "$exe"; do
  [[ -f $f ]] || { echo "FAIL: $f does not exist"; exit 1; }
done

start_xvfb
boot_prefix

# The prefix's own user folder, whatever name Wine gave it.
users=""
for d in "$WINEPREFIX"/drive_c/users/*; do
  [[ ${d##*/} != Public && -d $d/AppData ]] && users=$d
done
[[ -n $users ]] || { echo "FAIL: no user folder in the Wine prefix"; exit 1; }
dir="$users/AppData/Local/Programs/Kelvory"
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kelvory.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvory'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
query() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }

# With /AUTOSTART the program starts with Windows; installed again
# without it, it no longer does.
timeout 120 "$wine" "$setup" /S /AUTOSTART || fail "the installer failed with /AUTOSTART"
query "$run_key" /v Kelvory | grep -q 'Kelvory.*REG_SZ.*"C:\\users\\.*\\Kelvory\\kelvory.exe"' ||
  fail "/AUTOSTART made no start with Windows"
timeout 120 "$wine" "$setup" /S || fail "the installer failed"
query "$run_key" /v Kelvory | grep -q Kelvory && fail "the start with Windows stayed"

cmp -s "$exe" "$dir/kelvory.exe" || fail "kelvory.exe is not installed as built"
[[ -f $dir/uninstall.exe ]] || fail "no uninstaller"
[[ -s $shortcut ]] || fail "no Start-menu shortcut"
entry=$(query "$uninstall_key")
for want in 'DisplayName.*Kelvory' 'DisplayVersion.*1\.1\.0' 'UninstallString.*uninstall\.exe"' \
  'QuietUninstallString.*uninstall\.exe" /S' 'DisplayIcon.*kelvory\.exe'; do
  grep -q "$want" <<<"$entry" || fail "the Apps & features entry has no $want"
done

# The installed program, started as the shortcut starts it: "終了" from the
# menu saves the catches beside it, since the user may write there.
(cd "$dir" && exec "$wine" 'C:\users\'"${users##*/}"'\AppData\Local\Programs\Kelvory\kelvory.exe' \
  >"$work/app.log" 2>&1) &
app_pid=$!
wait_for_sea "$app_pid" "$work/run.rgb" ||
  { echo "FAIL: the installed program showed no sea"; cat "$work/app.log"; exit 1; }
sleep 1.5
xdotool mousemove 75 1072 click 3
sleep 1
xdotool key Up
sleep 0.3
xdotool key Return
if ends_cleanly "$app_pid" 終了 100; then
  app_pid=""
  tr -d '\r' <"$dir/KVY.ini" 2>/dev/null | grep -qx 'Tyouka=0\{39\}' ||
    fail "終了 saved no catches beside the installed program"
fi

# The uninstaller copies itself away and returns at once: wait until it is
# gone from the folder.
timeout 120 "$wine" "$dir/uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 60); do
  [[ -e $dir/uninstall.exe ]] || break
  sleep 0.5
done
timeout 60 "$wineserver" -w
left=$(cd "$dir" 2>/dev/null && find . -mindepth 1)
[[ $left == ./KVY.ini ]] || fail "the uninstall left $(tr '\n' ' ' <<<"$left") (only ./KVY.ini should stay)"
[[ -e $shortcut ]] && fail "the Start-menu shortcut stayed"
query "$uninstall_key" | grep -q DisplayName && fail "the Apps & features entry stayed"
query "$run_key" /v Kelvory | grep -q Kelvory && fail "the start with Windows came back"

finish packaging.windows-installer
