#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "assets/pictures.h"
#include "shapes/shape_table.h"

namespace kelvory {
namespace {

bool Covers(const ShapeRecord& shape, int x, int y) {
  for (const auto& r : shape.rectangles())
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

int CountPixels(const ShapeRecord& shape, int width, int height) {
  int opaque = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) opaque += Covers(shape, x, y);
  return opaque;
}

// Every sprite outline keeps exactly the pixels that are not its key colour.
void ExpectOutlineMatches(const ShapeRecord& shape, const Bitmap& picture, std::uint32_t key) {
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      ASSERT_EQ(Covers(shape, x, y), picture.at(x, y) != key) << "pixel " << x << "," << y;
}

TEST(ShapeTable, BoundsMatchThePictures) {
  const ShapeTable table = BuildShapeTable();
  constexpr std::array<PixelRect, 28> kBounds{{
      {0, 10, 51, 48}, {0, 4, 51, 48},  {0, 0, 51, 48},  {0, 2, 51, 48}, {0, 8, 51, 48},
      {0, 6, 51, 48},  {0, 6, 51, 48},  {0, 0, 6, 21},   {1, 0, 16, 11}, {0, 0, 22, 5},
      {1, 0, 16, 11},  {3, 2, 32, 35},  {5, 1, 23, 35},  {6, 2, 25, 35}, {6, 2, 25, 35},
      {4, 0, 31, 35},  {6, 2, 29, 35},  {11, 2, 26, 35}, {8, 1, 30, 35}, {8, 1, 31, 35},
      {8, 1, 31, 35},  {6, 0, 29, 34},  {2, 2, 37, 36},  {0, 2, 35, 35}, {0, 0, 32, 14},
      {0, 0, 32, 14},  {12, 5, 23, 25}, {2, 1, 12, 8},
  }};
  for (std::size_t i = 0; i < kBounds.size(); ++i)
    EXPECT_EQ(table[i].rcBound(), kBounds[i]) << "shape " << i;
  EXPECT_TRUE(table[28].empty());
}

TEST(ShapeTable, OutlinesKeepExactlyTheDrawnPixels) {
  const ShapeTable table = BuildShapeTable();
  // The seated angler: 1979 of 2400 pixels are clipped away.
  EXPECT_EQ(CountPixels(table[0], 50, 48), 2400 - 1979);
  for (int k = 0; k < 7; ++k)
    ExpectOutlineMatches(table[static_cast<std::size_t>(k)], assets::angler(k), 0);
  for (int k = 0; k < 13; ++k)
    ExpectOutlineMatches(table[static_cast<std::size_t>(11 + k)], assets::fish(k), 0xFF00B4);
  ExpectOutlineMatches(table[26], assets::emptyHook(), 0xFF00FF);
  ExpectOutlineMatches(table[9], assets::floatFrame(2), 0);
  // Rows 2 and 3 of the sideways float are kept as a rectangle each.
  const auto rects9 = table[9].rectangles();
  EXPECT_NE(std::find(rects9.begin(), rects9.end(), PixelRect{0, 2, 22, 3}), rects9.end());
  EXPECT_NE(std::find(rects9.begin(), rects9.end(), PixelRect{0, 3, 22, 4}), rects9.end());
  EXPECT_EQ(CountPixels(table[27], 14, 10), 10 + 2 * 8 + 6 + 2 * 4 + 2);
}

TEST(ShapeTable, RecordsReadAsRegionData) {
  const ShapeTable table = BuildShapeTable();
  const std::vector<std::uint8_t> data = table[27].rgnData();
  ASSERT_EQ(data.size(), 32u + 16 * 5);
  const auto field = [&](std::size_t i) {
    return data[4 * i] | data[4 * i + 1] << 8 | data[4 * i + 2] << 16 | data[4 * i + 3] << 24;
  };
  EXPECT_EQ(field(0), 32);             // dwSize
  EXPECT_EQ(field(1), 1);              // iType: rectangles
  EXPECT_EQ(field(2), 5);              // nCount
  EXPECT_EQ(field(3), 80);             // nRgnSize
  EXPECT_EQ(field(4), 2);              // rcBound.left
  EXPECT_EQ(field(7), 8);              // rcBound.bottom
  EXPECT_EQ(field(8 + 4 * 4 + 3), 8);  // the tip's bottom
}

TEST(ShapeTable, BandsMergeIdenticalRowsAndRunsReachPastTheRightEdge) {
  Bitmap picture{3, 3, {1, 0, 1, 1, 0, 1, 0, 0, 1}};
  const ShapeRecord shape = DecomposeOpaque(picture, 0);
  const std::vector<PixelRect> expected{{0, 0, 1, 2}, {2, 0, 4, 2}, {2, 2, 4, 3}};
  EXPECT_EQ(std::vector<PixelRect>(shape.rectangles().begin(), shape.rectangles().end()), expected);
}

TEST(Pictures, AnglerFramesJoinTheSeaAndThePowerBarIsStriped) {
  for (int k = 0; k < 7; ++k) {
    const Bitmap& angler = assets::angler(k);
    ASSERT_EQ(angler.width, 50);
    ASSERT_EQ(angler.height, 48);
    for (int y = 45; y < 48; ++y)
      for (int x = 0; x < 50; ++x) ASSERT_EQ(angler.at(x, y), 0x0000FFu) << k;
    for (int y = 38; y < 45; ++y)
      for (int x = 0; x < 25; ++x) ASSERT_EQ(angler.at(x, y), 0x00A000u) << k;
  }
  const Bitmap& bar = assets::powerBar();
  ASSERT_EQ(bar.width, 60);
  ASSERT_EQ(bar.height, 4);
  constexpr std::array<std::uint32_t, 4> kRows{0xFF0000, 0xFFFFFF, 0xFF0000, 0x800000};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(bar.at(x, y), kRows[static_cast<std::size_t>(y)]);
}

TEST(BalloonShapes, CapsShowOnlyTheirNonRedPixels) {
  const BalloonShapeTable table = BuildBalloonShapes();
  constexpr std::array<int, 4> kRight{121, 106, 106, 121};
  for (int k = 0; k < 4; ++k) {
    const auto& shape = table[static_cast<std::size_t>(k)];
    EXPECT_EQ(shape.rcBound(), (PixelRect{0, 0, kRight[static_cast<std::size_t>(k)], 270})) << k;
    ExpectOutlineMatches(shape, assets::balloonCap(k), 0xFF0000);
  }
  EXPECT_TRUE(table[4].empty());
}

}  // namespace
}  // namespace kelvory
