#!/bin/sh
# Makes src/platform/win32/kelvory.ico from the program's own 32x32 picture,
# pixel for pixel (nearest neighbour), so the file can be checked in and a
# build on Windows needs no ImageMagick. Run it again whenever
# src/assets/icon.xpm changes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
convert "$root/src/assets/icon.xpm" -filter point \
  -define icon:auto-resize=256,64,48,32,16 "$root/src/platform/win32/kelvory.ico"
