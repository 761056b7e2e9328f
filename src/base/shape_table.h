#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/catalogue.h"
#include "platform/types.h"

namespace kelvory {

// One window outline: rectangles in pixels from the window's top-left
// corner, listed band by band from the top and left to right in a band,
// and their bounding box.
class ShapeRecord {
 public:
  ShapeRecord() = default;
  ShapeRecord(std::vector<PixelRect> rects, PixelRect bound)
      : rects_(std::move(rects)), bound_(bound) {}

  std::span<const PixelRect> rectangles() const { return rects_; }
  const PixelRect& rcBound() const { return bound_; }
  bool empty() const { return rects_.empty(); }

  // The record as a rectangle-list region's data: a 32-byte header
  // (dwSize 32, iType 1, nCount, nRgnSize, rcBound), then the rectangles,
  // every field a little-endian 32-bit integer.
  std::vector<std::uint8_t> rgnData() const;

 private:
  std::vector<PixelRect> rects_;
  PixelRect bound_;
};

// Where each outline stands in the main table. The float's frames are not
// in one run: its two spray frames came last, after the fish.
namespace shape {
constexpr int kAngler = 0;  // angler frame k is shape k, k = 0 to 6
constexpr int kFloatUpright = 7;
constexpr int kFloatTiltedLeft = 8;
constexpr int kFloatFlat = 9;
constexpr int kFloatTiltedRight = 10;
constexpr int kFirstFish = 11;  // species k is shape 11 + k
// The float going under, frames 4 and 5 (shapes 24 and 25 with 13 species).
constexpr int kSpray = kFirstFish + kSpeciesCount;
constexpr int kSprayHigh = kSpray + 1;
constexpr int kEmptyHook = kSpray + 2;
constexpr int kMarker = kSpray + 3;
constexpr int kUnused = kSpray + 4;

constexpr int Angler(int frame) { return kAngler + frame; }
constexpr int Fish(int species) { return kFirstFish + species; }
constexpr int FloatFrame(int frame) {
  constexpr int kByFrame[] = {kFloatUpright,     kFloatTiltedLeft, kFloatFlat,
                              kFloatTiltedRight, kSpray,           kSprayHigh};
  return kByFrame[frame];
}
}  // namespace shape

using ShapeTable = std::array<ShapeRecord, shape::kUnused + 1>;

// The balloon caps; the last entry of their table is never filled.
namespace cap {
constexpr int kLeftWithTail = 0;
constexpr int kRight = 1;
constexpr int kLeft = 2;
constexpr int kRightWithTail = 3;
}  // namespace cap
using BalloonShapeTable = std::array<ShapeRecord, 5>;

// The picture whose mask gives shape index, and its key colour; none for
// the marker's triangle and the unused last entry.
struct ShapeSource {
  const Bitmap* picture;
  std::uint32_t key;
};
std::optional<ShapeSource> SourceOf(int index);

ShapeTable BuildShapeTable();
BalloonShapeTable BuildBalloonShapes();

// The banded decomposition of the pixels whose colour is not `key`. A run
// that reaches the right edge ends one pixel beyond it.
ShapeRecord DecomposeOpaque(const Bitmap& picture, std::uint32_t key);

}  // namespace kelvory
