#include "base/shape_table.h"

#include <algorithm>

#include "assets/pictures.h"
#include "base/catalogue.h"

namespace kelvory {
namespace {

constexpr std::uint32_t kBlackKey = 0x000000;
constexpr std::uint32_t kFishKey = 0xFF00B4;
constexpr std::uint32_t kHookKey = 0xFF00FF;
constexpr std::uint32_t kRedKey = 0xFF0000;

struct Run {
  std::int32_t left, right;
  friend bool operator==(const Run&, const Run&) = default;
};

PixelRect Bound(std::span<const PixelRect> rects) {
  if (rects.empty()) return {};
  PixelRect b = rects.front();
  for (const auto& r : rects) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

// The marker's downward triangle, 10 x 7 pixels.
constexpr std::array<PixelRect, 5> kMarkerTriangle{{
    {2, 1, 12, 2},
    {3, 2, 11, 4},
    {4, 4, 10, 5},
    {5, 5, 9, 7},
    {6, 7, 8, 8},
}};

// The sideways float stores its two identical full-width rows 2 and 3 as
// one rectangle each; the outline is the same.
ShapeRecord SplitRows(const ShapeRecord& shape, std::int32_t first, std::int32_t last) {
  std::vector<PixelRect> rects;
  for (const auto& r : shape.rectangles()) {
    if (r.top <= first && r.bottom > last) {
      if (r.top < first) rects.push_back({r.left, r.top, r.right, first});
      for (std::int32_t y = first; y <= last; ++y) rects.push_back({r.left, y, r.right, y + 1});
      if (r.bottom > last + 1) rects.push_back({r.left, last + 1, r.right, r.bottom});
    } else {
      rects.push_back(r);
    }
  }
  return {rects, shape.rcBound()};
}

ShapeRecord WithBoundTop(const ShapeRecord& shape, std::int32_t top) {
  PixelRect bound = shape.rcBound();
  bound.top = top;
  return {std::vector<PixelRect>(shape.rectangles().begin(), shape.rectangles().end()), bound};
}

// A cap window is wider and taller than its cap picture; everything beyond
// the picture counts as opaque (it lies outside the window anyway).
Bitmap CapCanvas(const Bitmap& cap, int width) {
  Bitmap canvas{width, 270,
                std::vector<std::uint32_t>(static_cast<std::size_t>(width * 270), kBlackKey)};
  for (int y = 0; y < cap.height; ++y)
    for (int x = 0; x < cap.width; ++x)
      canvas.pixels[static_cast<std::size_t>(y * width + x)] = cap.at(x, y);
  return canvas;
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Put(std::vector<std::uint8_t>& out, const PixelRect& r) {
  for (const std::int32_t v : {r.left, r.top, r.right, r.bottom})
    Put(out, static_cast<std::uint32_t>(v));
}

}  // namespace

std::vector<std::uint8_t> ShapeRecord::rgnData() const {
  std::vector<std::uint8_t> out;
  out.reserve(32 + 16 * rects_.size());
  const auto count = static_cast<std::uint32_t>(rects_.size());
  Put(out, 32);
  Put(out, 1);
  Put(out, count);
  Put(out, 16 * count);
  Put(out, bound_);
  for (const PixelRect& r : rects_) Put(out, r);
  return out;
}

ShapeRecord DecomposeOpaque(const Bitmap& picture, std::uint32_t key) {
  std::vector<PixelRect> rects;
  std::vector<Run> band, row;
  std::int32_t bandTop = 0;
  auto closeBand = [&](std::int32_t bottom) {
    for (const auto& run : band) rects.push_back({run.left, bandTop, run.right, bottom});
    band.clear();
  };
  for (std::int32_t y = 0; y < picture.height; ++y) {
    row.clear();
    for (std::int32_t x = 0; x < picture.width;) {
      if (picture.at(x, y) == key) {
        ++x;
        continue;
      }
      const std::int32_t start = x;
      while (x < picture.width && picture.at(x, y) != key) ++x;
      row.push_back({start, x == picture.width ? x + 1 : x});
    }
    if (row != band) {
      closeBand(y);
      band = row;
      bandTop = y;
    }
  }
  closeBand(picture.height);
  const PixelRect bound = Bound(rects);
  return {std::move(rects), bound};
}

std::optional<ShapeSource> SourceOf(int index) {
  for (int frame = 0; frame < 7; ++frame)
    if (index == shape::Angler(frame)) return ShapeSource{&assets::angler(frame), kBlackKey};
  for (int frame = 0; frame < 6; ++frame)
    if (index == shape::FloatFrame(frame))
      return ShapeSource{&assets::floatFrame(frame), kBlackKey};
  for (int species = 0; species < kSpeciesCount; ++species)
    if (index == shape::Fish(species)) return ShapeSource{&assets::fish(species), kFishKey};
  if (index == shape::kEmptyHook) return ShapeSource{&assets::emptyHook(), kHookKey};
  return std::nullopt;
}

ShapeTable BuildShapeTable() {
  ShapeTable table;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (const auto source = SourceOf(static_cast<int>(i))) {
      table[i] = DecomposeOpaque(*source->picture, source->key);
    }
  }
  // The tilted floats keep an empty top row inside their box.
  for (const int tilted : {shape::kFloatTiltedLeft, shape::kFloatTiltedRight})
    table[tilted] = WithBoundTop(table[tilted], 0);
  table[shape::kFloatFlat] = SplitRows(table[shape::kFloatFlat], 2, 3);
  table[shape::kMarker] = {std::vector<PixelRect>(kMarkerTriangle.begin(), kMarkerTriangle.end()),
                           Bound(kMarkerTriangle)};
  return table;
}

BalloonShapeTable BuildBalloonShapes() {
  BalloonShapeTable table;
  for (const int k : {cap::kLeftWithTail, cap::kRight, cap::kLeft, cap::kRightWithTail}) {
    const Bitmap& picture = assets::balloonCap(k);
    // The window is as many twips wide as the cap is pixels: 8 px caps in 120.
    table[static_cast<std::size_t>(k)] =
        DecomposeOpaque(CapCanvas(picture, picture.width == 8 ? 120 : 105), kRedKey);
  }
  return table;
}

}  // namespace kelvory
