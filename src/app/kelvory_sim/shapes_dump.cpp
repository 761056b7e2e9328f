#include "app/kelvory_sim/shapes_dump.h"

#include <algorithm>
#include <ostream>
#include <string_view>

#include "assets/pictures.h"
#include "base/shape_table.h"

namespace kelvory {

namespace {

// The marker's triangle has no picture; its window is 14 x 10 pixels.
constexpr int kMarkerShape = 27;
constexpr int kMarkerWidth = 14;
constexpr int kMarkerHeight = 10;

// Pixels of the shape inside a window of the picture's size.
int VisiblePixels(const ShapeRecord& shape, int width, int height) {
  int n = 0;
  for (const PixelRect& r : shape.rectangles()) {
    n += std::max(0, std::min(r.right, width) - r.left) *
         std::max(0, std::min(r.bottom, height) - r.top);
  }
  return n;
}

void PrintShape(std::ostream& out, std::string_view table, std::size_t index,
                const ShapeRecord& shape, int width, int height) {
  const PixelRect& b = shape.rcBound();
  out << "{\"table\":\"" << table << "\",\"index\":" << index
      << ",\"rects\":" << shape.rectangles().size() << ",\"bound\":[" << b.left << "," << b.top
      << "," << b.right << "," << b.bottom << "],\"size\":[" << width << "," << height
      << "],\"visible\":" << VisiblePixels(shape, width, height) << "}\n";
}

}  // namespace

void PrintShapes(std::ostream& out) {
  const ShapeTable table = BuildShapeTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto source = SourceOf(static_cast<int>(i));
    const bool marker = i == kMarkerShape;
    const int w = source ? source->picture->width : (marker ? kMarkerWidth : 0);
    const int h = source ? source->picture->height : (marker ? kMarkerHeight : 0);
    PrintShape(out, "main", i, table[i], w, h);
  }
  const BalloonShapeTable caps = BuildBalloonShapes();
  for (std::size_t i = 0; i < caps.size(); ++i) {
    const Bitmap* cap = i < 4 ? &assets::balloonCap(static_cast<int>(i)) : nullptr;
    PrintShape(out, "balloon", i, caps[i], cap ? cap->width : 0, cap ? cap->height : 0);
  }
}

}  // namespace kelvory
