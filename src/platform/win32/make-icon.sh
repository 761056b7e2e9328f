#!/bin/sh
# Makes kelvory.ico from the program's own 32x32 picture, pixel for pixel
# (nearest neighbour), so the file can be checked in and a build on Windows
# needs no ImageMagick. Run it again whenever src/assets/icon.xpm changes.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
convert "$here/../../assets/icon.xpm" -filter point \
  -define icon:auto-resize=256,64,48,32,16 "$here/kelvory.ico"
