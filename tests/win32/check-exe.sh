#!/bin/bash
# Checks the Windows program as it would be copied to a user: it needs no
# DLL but the system's own, it is small, and it carries its icon, version
# and manifest.
#
# usage: check-exe.sh path/to/kelvory.exe [VERSION]
# (VERSION: that of the build tree the program is in, by default)
set -u

exe=${1:?usage: check-exe.sh path/to/kelvory.exe [VERSION]}
if [[ -n ${2:-} ]]; then
  version=$2
else
  # The program lies in <build>/src/platform/win32/.
  version=$("$(dirname "$0")/../../scripts/version" "$(dirname "$exe")/../../..") || exit 1
fi
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
limit=$((2 * 1024 * 1024))
# What every Windows since 7 has in System32; comctl32 v6 comes through the
# manifest from the side-by-side store.
system_dlls="advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi
user32 uxtheme version winmm ws2_32 bcrypt ntdll"

[[ -f $exe ]] || { echo "FAIL: $exe does not exist"; exit 1; }
command -v "$objdump" >/dev/null 2>&1 || { echo "skipped: $objdump is not installed"; exit 77; }

source "$(dirname "$0")/../lib/checks.sh"

headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr -d '\r')
[[ -n $dlls ]] || fail "no imported DLL found"
for dll in $dlls; do
  base=$(tr '[:upper:]' '[:lower:]' <<<"${dll%.*}")
  grep -qw -- "$base" <<<"$system_dlls" || fail "imports $dll, which is no Windows system DLL"
done
echo "imports: $(tr '\n' ' ' <<<"$dlls")"

size=$(stat -c %s "$exe")
((size < limit)) || fail "$size bytes, not below $limit"
echo "size: $size bytes"
# A stripped file has no symbol table left.
if "$objdump" -t "$exe" 2>/dev/null | grep -q '^\['; then
  fail "not stripped: the symbol table is still there"
fi

# Resource types at the top of the resource directory: 3 icon, 14 icon
# group, 16 version, 24 manifest.
types=$(sed -n '/Resource Directory section/,/Resources start/p' <<<"$headers" |
  sed -n 's/^[0-9a-f]\{3\}   Entry: ID: 0x\([0-9a-f]*\),.*/\1/p')
for want in 3:icon e:icon-group 10:version 18:manifest; do
  id=${want%%:*}
  grep -qx "0*$id" <<<"$types" || fail "no ${want#*:} resource"
done

# The version strings, as Explorer's properties show them (UTF-16).
if command -v strings >/dev/null 2>&1; then
  info=$(strings -el "$exe")
  grep -A1 -x ProductName <<<"$info" | grep -qx Kelvory || fail "ProductName is not Kelvory"
  grep -A1 -x FileVersion <<<"$info" | grep -qxF "$version.0" || fail "FileVersion is not $version.0"
  grep -qx FileDescription <<<"$info" || fail "no FileDescription"
fi

finish win32.check-exe
