#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include "platform/types.h"
#include "platform/win32/win32_handles.h"

namespace kelvory::win32 {

// What every window needs to turn the game's twips, fonts and bitmaps into
// pixels: the screen's scale and GDI caches that live as long as the desktop.
class Resources {
 public:
  // The game lays out in logical pixels of 15 twips; a screen of higher DPI
  // shows each of them as a square of whole device pixels (125 % and 150 %
  // round to the nearest factor), so pixel art and outlines stay crisp and
  // windows, pictures and regions scale alike.
  void setDpi(int dpi);
  int twipsPerPixel() const { return 15; }
  // Device pixels per logical pixel, and so per picture pixel.
  int pictureScale() const { return scale_; }

  int px(double twips) const;
  // Each edge rounded on its own: windows that meet in twips meet in pixels.
  RECT toPx(const Twips& box) const;

  // Caches fill lazily and hold their handles until the desktop goes.
  HFONT font(const Font& font) const;
  // The bitmap as a 32-bit DIB section, made once per bitmap (they live for
  // the whole program); null for an empty one.
  HBITMAP bitmap(const Bitmap* bitmap) const;

 private:
  int scale_ = 1;
  int dpi_ = 96;
  // Keyed by DPI too: windows keep the handles they were given.
  mutable std::map<std::tuple<std::string, double, bool, bool, int>, FontHandle> fonts_;
  mutable std::unordered_map<const Bitmap*, BitmapHandle> bitmaps_;
};

COLORREF ToColorref(Rgb rgb);
// A 32-bit top-down DIB section holding the pixels.
BitmapHandle MakeDib(const Bitmap& bitmap);
// The program's icon from a picture; null if Windows refuses it.
IconHandle MakeIcon(const Bitmap& bitmap);

}  // namespace kelvory::win32
