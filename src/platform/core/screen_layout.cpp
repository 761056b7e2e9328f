#include "platform/core/screen_layout.h"

namespace kelvory {

ScreenMetrics LayoutMetrics(const DeviceScreen& screen, const PixelGrid& grid) {
  const int s = grid.deviceScale;
  const FrameExtents& f = screen.dialogFrame;
  return {.widthPx = screen.width / s,
          .heightPx = screen.height / s,
          .workAreaBottomPx = screen.workAreaBottom / s,
          .twipsPerPixel = grid.twipsPerPixel,
          .dialogFrameWidthPx = (f.left + f.right) / s,
          .dialogFrameHeightPx = (f.top + f.bottom) / s};
}

Twips WithDialogFrame(Twips client, const FrameExtents& frame, const PixelGrid& grid) {
  const int s = grid.deviceScale;
  client.width += (frame.left + frame.right) / s * grid.twipsPerPixel;
  client.height += (frame.top + frame.bottom) / s * grid.twipsPerPixel;
  return client;
}

}  // namespace kelvory
