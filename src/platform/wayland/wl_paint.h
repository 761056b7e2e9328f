#pragma once

#include <cairo.h>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/pixel_grid.h"
#include "platform/types.h"
#include "platform/wayland/wl_text.h"

namespace kelvory::wl {

// The game's bitmaps as cairo pictures, made once each (the bitmaps live
// as long as the program).
class Pictures {
 public:
  Pictures() = default;
  ~Pictures();
  Pictures(const Pictures&) = delete;
  Pictures& operator=(const Pictures&) = delete;
  cairo_surface_t* of(const Bitmap* bitmap);

 private:
  std::unordered_map<const Bitmap*, cairo_surface_t*> made_;
};

// Everything a window shows, as the game last set it.
struct Content {
  struct Child {
    ControlDesc desc;
    const Bitmap* picture = nullptr;
    std::string tip;
  };
  struct Printed {
    std::string text;
    double x = 0, y = 0;
    Font font;
  };

  Frame frame = Frame::None;
  Rgb back;
  const Bitmap* picture = nullptr;
  std::vector<Printed> printed;
  std::map<ControlId, Child> children;  // in the order they were added: later on top
  std::optional<std::vector<PixelRect>> shape;
  std::optional<ControlId> pressed;  // a button held down
};

struct Canvas {
  cairo_t* cr;
  const Fonts& fonts;
  const PixelGrid& grid;
  Pictures& pictures;
};

// Paints the window's client area, width x height layout pixels, with its
// top left at the cairo origin, over a cleared picture: outside the outline
// stays transparent.
void Paint(const Canvas& canvas, const Content& content, int width, int height);
void SetColour(cairo_t* cr, Rgb colour);
// A popup's face: a one-pixel edge around a plain face, layout pixels.
void PaintPopupFace(cairo_t* cr, int width, int height, Rgb edge, Rgb face);
// The control panel's thin frame, around the window's edge.
void PaintThinBorder(cairo_t* cr, int width, int height);

// The control under a point of the client area, kSurface where none is.
ControlId ControlAt(const Content& content, const PixelGrid& grid, double x, double y);

}  // namespace kelvory::wl
