#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <set>
#include <string>

#include "assets/pictures.h"
#include "base/shape_table.h"

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

enum class Table { kMain, kBalloon };

struct ExpectedShape {
  const char* name;
  Table table;
  std::size_t index;
  std::size_t rectangles;
  PixelRect bound;
};

// The outline of every picture: its rectangle count and bounding box. The
// pictures are drawn so that their banded decomposition gives exactly these.
constexpr std::array<ExpectedShape, 32> kExpectedShapes{{
    {"angler0", Table::kMain, 0, 65, {0, 10, 51, 48}},
    {"angler1", Table::kMain, 1, 73, {0, 4, 51, 48}},
    {"angler2", Table::kMain, 2, 61, {0, 0, 51, 48}},
    {"angler3", Table::kMain, 3, 73, {0, 2, 51, 48}},
    {"angler4", Table::kMain, 4, 73, {0, 8, 51, 48}},
    {"angler5", Table::kMain, 5, 75, {0, 6, 51, 48}},
    {"angler6", Table::kMain, 6, 72, {0, 6, 51, 48}},
    {"float0", Table::kMain, 7, 4, {0, 0, 6, 21}},
    {"float1", Table::kMain, 8, 10, {1, 0, 16, 11}},
    {"float2", Table::kMain, 9, 5, {0, 0, 22, 5}},
    {"float3", Table::kMain, 10, 10, {1, 0, 16, 11}},
    {"fish0", Table::kMain, 11, 35, {3, 2, 32, 35}},
    {"fish1", Table::kMain, 12, 31, {5, 1, 23, 35}},
    {"fish2", Table::kMain, 13, 25, {6, 2, 25, 35}},
    {"fish3", Table::kMain, 14, 27, {6, 2, 25, 35}},
    {"fish4", Table::kMain, 15, 19, {4, 0, 31, 35}},
    {"fish5", Table::kMain, 16, 27, {6, 2, 29, 35}},
    {"fish6", Table::kMain, 17, 24, {11, 2, 26, 35}},
    {"fish7", Table::kMain, 18, 29, {8, 1, 30, 35}},
    {"fish8", Table::kMain, 19, 28, {8, 1, 31, 35}},
    {"fish9", Table::kMain, 20, 28, {8, 1, 31, 35}},
    {"fish10", Table::kMain, 21, 35, {6, 0, 29, 34}},
    {"fish11", Table::kMain, 22, 59, {2, 2, 37, 36}},
    {"fish12", Table::kMain, 23, 67, {0, 2, 35, 35}},
    {"spray0", Table::kMain, 24, 79, {0, 0, 32, 14}},
    {"spray1", Table::kMain, 25, 97, {0, 0, 32, 14}},
    {"hook", Table::kMain, 26, 20, {12, 5, 23, 25}},
    {"marker", Table::kMain, 27, 5, {2, 1, 12, 8}},
    {"cap0", Table::kBalloon, 0, 13, {0, 0, 121, 270}},
    {"cap1", Table::kBalloon, 1, 20, {0, 0, 106, 270}},
    {"cap2", Table::kBalloon, 2, 12, {0, 0, 106, 270}},
    {"cap3", Table::kBalloon, 3, 18, {0, 0, 121, 270}},
}};

void PrintTo(const ExpectedShape& shape, std::ostream* out) { *out << shape.name; }

class EveryShape : public testing::TestWithParam<ExpectedShape> {};

TEST_P(EveryShape, HasItsRectangleCountAndBound) {
  static const ShapeTable shapes = BuildShapeTable();
  static const BalloonShapeTable caps = BuildBalloonShapes();
  const ExpectedShape& expected = GetParam();
  const ShapeRecord& shape =
      expected.table == Table::kMain ? shapes[expected.index] : caps[expected.index];
  EXPECT_EQ(shape.rectangles().size(), expected.rectangles);
  EXPECT_EQ(shape.rcBound(), expected.bound);
}

INSTANTIATE_TEST_SUITE_P(ShapeTable, EveryShape, testing::ValuesIn(kExpectedShapes),
                         [](const testing::TestParamInfo<ExpectedShape>& info) {
                           return std::string(info.param.name);
                         });

TEST(ShapeTable, OutlinesKeepExactlyTheDrawnPixels) {
  const ShapeTable table = BuildShapeTable();
  EXPECT_TRUE(table[28].empty());
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

// Both are written by tools (the icon's .ico, the certificate's text), so
// check that what is checked in still decodes, at its size.
TEST(Pictures, TheIconHasSixteenColoursAndTheCertificateItsSize) {
  const Bitmap& icon = assets::icon();
  ASSERT_EQ(icon.width, 32);
  ASSERT_EQ(icon.height, 32);
  EXPECT_LE(std::set<std::uint32_t>(icon.pixels.begin(), icon.pixels.end()).size(), 16u);
  EXPECT_EQ(assets::certificate().width, 200);
  EXPECT_EQ(assets::certificate().height, 135);
}

TEST(BalloonShapes, CapsShowOnlyTheirNonRedPixels) {
  const BalloonShapeTable table = BuildBalloonShapes();
  for (int k = 0; k < 4; ++k)
    ExpectOutlineMatches(table[static_cast<std::size_t>(k)], assets::balloonCap(k), 0xFF0000);
  EXPECT_TRUE(table[4].empty());
}

}  // namespace
}  // namespace kelvory
