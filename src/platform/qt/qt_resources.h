#pragma once

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include "platform/core/pixel_grid.h"
#include "platform/core/screen_layout.h"
#include "platform/types.h"

class QPainter;

namespace kelvory::qt {

// What every window needs to turn the game's twips, fonts and bitmaps into
// pixels: the screen's scale and caches that live as long as the desktop.
class Resources {
 public:
  // Qt maps its logical pixels to the device itself: logicalDpi 96 gives
  // 15 twips per pixel and pictures at their own size.
  void setLogicalDpi(double logicalDpi) { grid_ = LogicalGrid(logicalDpi); }
  const PixelGrid& grid() const { return grid_; }
  QRect toPx(const Twips& box) const;

  // The frame a dialog gets, as the window manager last told it.
  const QMargins& dialogFrame() const { return dialogFrame_; }
  FrameExtents dialogExtents() const;
  void setDialogFrame(const QMargins& frame) { dialogFrame_ = frame; }

  // Caches fill lazily; looking up changes nothing that is shown.
  const QFont& font(const Font& font) const;
  // The bitmap as an image, made once per bitmap (they live for the program).
  const QImage* image(const Bitmap* bitmap) const;

 private:
  PixelGrid grid_;
  QMargins dialogFrame_;
  mutable std::map<std::tuple<std::string, double, bool, bool>, QFont> fonts_;
  mutable std::unordered_map<const Bitmap*, QImage> images_;
};

// Pixel art: a whole-number scale, no smoothing, its corner at origin.
void DrawPicture(QPainter& painter, const QImage& image, int scale, QPoint origin = {});

QColor ToColor(Rgb rgb);
QString ToQString(std::string_view text);

}  // namespace kelvory::qt
