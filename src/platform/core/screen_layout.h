#pragma once

#include "platform/core/pixel_grid.h"
#include "platform/types.h"

namespace kelvory {

// What a dialog's frame and title bar add around its client area, device
// pixels on each side.
struct FrameExtents {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The primary screen as the desktop reads it, in device pixels; a screen
// it cannot read is taken as a common one.
struct DeviceScreen {
  int width = 1920;
  int height = 1080;
  int workAreaBottom = 1040;
  FrameExtents dialogFrame;
};

// The screen as the game lays out on it: layout pixels, whole ones.
ScreenMetrics LayoutMetrics(const DeviceScreen& screen, const PixelGrid& grid);

// The game sizes a dialog by its client area and places it by its outer
// box: the geometry a dialog's window keeps has the frame added, in whole
// layout pixels, as the metrics tell the game.
Twips WithDialogFrame(Twips client, const FrameExtents& frame, const PixelGrid& grid);

}  // namespace kelvory
