#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

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

// Indices 0-6: angler frames; 7-10, 24, 25: float frames 0-3, 4, 5;
// 11-23: the fish of species 0-12; 26: the empty hook; 27: the marker
// triangle; 28: never filled.
using ShapeTable = std::array<ShapeRecord, 29>;
// Indices 0-3: the balloon caps; 4: never filled.
using BalloonShapeTable = std::array<ShapeRecord, 5>;

// The picture whose mask gives shape index, and its key colour; none for
// the marker's triangle (27) and the unused last entry.
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
