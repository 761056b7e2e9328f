#include "balloon/balloon.h"

#include <gtest/gtest.h>

#include "session.h"

namespace kelvory::testing {
namespace {

struct Piece {
  Twips geometry;
  int shape;
};

// The three pieces after ShowBalloon(text, 6000, 9000, side).
std::array<Piece, 3> Layout(std::string_view text, BalloonSide side) {
  Session s;
  s.start();
  s.desk.at(10, [&] { ShowBalloon(s.scene, text, 6000, 9000, side); });
  s.runUntil(20);
  std::array<Piece, 3> pieces;
  const char* names[] = {"frmL", "frmC", "frmR"};
  for (int i = 0; i < 3; ++i) {
    const auto& w = s.window(names[i]);
    EXPECT_TRUE(w.visible) << names[i];
    pieces[static_cast<std::size_t>(i)] = {w.geometry, w.shape ? w.shape->index : -1};
  }
  const auto& centre = s.window("frmC");
  EXPECT_EQ(centre.texts.size(), 1u);
  EXPECT_EQ(centre.texts[0].y, 40);
  const double w = centre.geometry.width;
  EXPECT_EQ(centre.control("Line1")->line.x2, w);
  EXPECT_EQ(centre.control("Line2")->line.y1, 220 - 8);
  return pieces;
}

TEST(Balloon, TailAtTheLeftGrowsToTheRight) {
  // 6 half-width characters: 6 x 6 px x 15 twips.
  const auto [l, c, r] = Layout("HIT!!!", BalloonSide::Right);
  EXPECT_EQ(l.geometry, (Twips{6000, 9000 - 150, 120, 270}));
  EXPECT_EQ(c.geometry, (Twips{6120, 9000 - 140, 540, 220}));
  EXPECT_EQ(r.geometry, (Twips{6660, 9000 - 150, 105, 270}));
  EXPECT_EQ(l.shape, 0);
  EXPECT_EQ(r.shape, 1);
}

TEST(Balloon, TailAtTheRightIsTheMirrorImage) {
  // 5 full-width characters: 5 x 11 px x 15 twips.
  const auto [l, c, r] = Layout("バレタ！！", BalloonSide::Left);
  EXPECT_EQ(c.geometry.width, 825);
  EXPECT_EQ(l.geometry, (Twips{6000 - 825 - 105, 8850, 105, 270}));
  EXPECT_EQ(c.geometry.left, 6000 - 825);
  EXPECT_EQ(r.geometry, (Twips{6000, 8850, 120, 270}));
  EXPECT_EQ(l.shape, 2);
  EXPECT_EQ(r.shape, 3);
}

TEST(Balloon, EveryMessageStartsFromFreshPieces) {
  Session s;
  s.start();
  s.desk.at(10, [&] { ShowBalloon(s.scene, "HIT!!!", 6000, 9000, BalloonSide::Right); });
  s.desk.at(20, [&] { s.scene.unloadBalloon(); });
  s.desk.at(30, [&] { ShowBalloon(s.scene, "たい", 6000, 9000, BalloonSide::Right); });
  s.runUntil(40);
  const auto& centre = s.window("frmC");
  ASSERT_EQ(centre.texts.size(), 1u);
  EXPECT_EQ(centre.texts[0].text, "たい");
  EXPECT_EQ(centre.geometry.width, 2 * 11 * 15);
  EXPECT_EQ(s.events("load", "frmC").size(), 2u);
}

}  // namespace
}  // namespace kelvory::testing
