#!/usr/bin/env bash
# Writes the certificate's vertical text (read right to left) onto the blank
# hand-drawn sheet tools/certificate_blank.xpm, with the IPA Gothic font, and
# stores the result as src/assets/certificate.xpm. Needs ImageMagick and
# fonts-ipafont-gothic.
set -euo pipefail
cd "$(dirname "$0")/.."
font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
ink='#3C2814'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One column: a character per cell of the given size, from top to bottom.
column() {
  local x=$1 y=$2 size=$3 text=$4 i
  for ((i = 0; i < ${#text}; i++)); do
    printf -- '-pointsize %s -annotate +%s+%s %s\n' "$size" "$x" "$((y + (i + 1) * size))" "${text:i:1}"
  done
}

args=()
while read -r a b c d e; do args+=("$a" "$b" "$c" "$d" "$e"); done < <(
  column 175 21 15 '認定書'
  column 157 22 12 'あなたは'
  column 143 22 12 'KVYにおいて'
  column 129 22 12 '全ての魚を'
  column 115 22 12 '釣り上げたことを'
  column 101 22 12 'ここに認定します'
  column 78 34 11 '某年某月吉日'
)
convert tools/certificate_blank.xpm +antialias -font "$font" -fill "$ink" "${args[@]}" \
  -pointsize 11 -annotate +14+124 'KVY釣友会' \
  -fill '#B42818' -draw 'rectangle 64,112 75,123' -fill '#FFFAE6' -pointsize 10 -annotate +65+122 '印' \
  "$work/certificate.xpm"
# ImageMagick's XPM, in the form the program compiles in (colours as #RRGGBB).
sed -e 's/^static .*char \*.*\[\] = {/static const char* const certificate_xpm[] = {/' \
  -e '/^\/\* columns rows colors/d' -e '/^\/\* pixels \*\//d' \
  -e 's/ c white"/ c #FFFFFF"/' -e 's/ c black"/ c #000000"/' \
  "$work/certificate.xpm" > src/assets/certificate.xpm
