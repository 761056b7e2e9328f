#pragma once

#include "platform/types.h"

namespace kelvory {

// How twips become pixels: layout pixels of twipsPerPixel twips, each drawn
// as a square of deviceScale device pixels, pictures at pictureScale.
struct PixelGrid {
  int twipsPerPixel = 15;
  int deviceScale = 1;
  int pictureScale = 1;

  // Halves go to the even neighbour.
  int px(double twips) const;
  // Each edge rounded on its own, so windows that meet in twips meet in
  // pixels too, whatever the scale.
  PixelRect box(const Twips& twips) const;
  // A measured length of device pixels, in twips.
  double twips(double devicePx) const;
};

// A desktop whose toolkit maps its own pixels to the device (Qt) lays out
// at the toolkit's logical DPI; pictures follow at the nearest whole factor.
PixelGrid LogicalGrid(double logicalDpi);
// A desktop that draws device pixels itself (Win32) lays out at 15 twips a
// pixel and draws each pixel as a square of the nearest whole factor of the
// DPI (125 % and 150 % round), so pixel art and outlines stay crisp.
PixelGrid DeviceGrid(double dpi);

}  // namespace kelvory
