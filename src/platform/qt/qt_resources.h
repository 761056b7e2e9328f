#pragma once

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include "platform/types.h"

namespace kelvory::qt {

// What every window needs to turn the game's twips, fonts and bitmaps into
// pixels: the screen's scale and caches that live as long as the desktop.
class Resources {
 public:
  // logicalDpi 96 gives 15 twips per pixel and pictures at their own size.
  void setLogicalDpi(double logicalDpi);
  int twipsPerPixel() const { return twipsPerPixel_; }
  // Device pixels per picture pixel: pictures are drawn for 15 twips/pixel.
  int pictureScale() const { return pictureScale_; }

  int px(double twips) const;
  // Each edge rounded on its own, so windows that meet in twips meet in
  // pixels too, whatever the scale.
  QRect toPx(const Twips& box) const;

  // The frame a dialog gets, as the window manager last told it.
  const QMargins& dialogFrame() const { return dialogFrame_; }
  void setDialogFrame(const QMargins& frame) { dialogFrame_ = frame; }

  // Caches fill lazily; looking up changes nothing that is shown.
  const QFont& font(const Font& font) const;
  // The bitmap as an image, made once per bitmap (they live for the program).
  const QImage* image(const Bitmap* bitmap) const;

 private:
  int twipsPerPixel_ = 15;
  int pictureScale_ = 1;
  QMargins dialogFrame_;
  mutable std::map<std::tuple<std::string, double, bool, bool>, QFont> fonts_;
  mutable std::unordered_map<const Bitmap*, QImage> images_;
};

QColor ToColor(Rgb rgb);
QString ToQString(std::string_view text);

}  // namespace kelvory::qt
