#include <gtest/gtest.h>

#include "float/float_window.h"
#include "session.h"

namespace kelvory::testing {
namespace {

constexpr ScreenMetrics kSmaller{1280, 1024, 994, 15};

void ExpectOnTaskbar(const Session& s, const ScreenMetrics& screen) {
  const double top = screen.workAreaBottomPx * 15.0;
  EXPECT_EQ(s.window("frmCon").geometry, (Twips{0, top - 230, 1250, 230}));
  EXPECT_EQ(s.window("frmMan").geometry, (Twips{1250, top - 720, 750, 720}));
  EXPECT_EQ(s.window("frmSea").geometry, (Twips{1250, top - 50, screen.widthPx * 15.0, 50}));
}

TEST(Docking, TheSceneFollowsTheWorkArea) {
  Session s;
  s.start();
  s.desk.at(100, [&] { s.desk.changeScreen(kSmaller); });
  s.runUntil(200);
  ExpectOnTaskbar(s, kSmaller);
  EXPECT_EQ(s.scene.TaskbarTop, 994 * 15.0);
  // A taskbar that grows taller lifts the scene with it.
  const ScreenMetrics taller{1280, 1024, 960, 15};
  s.desk.at(300, [&] { s.desk.changeScreen(taller); });
  s.runUntil(400);
  ExpectOnTaskbar(s, taller);
}

TEST(Docking, AFloatOnTheWaterMovesWithTheSea) {
  Session s;
  s.start();
  s.castAt(0, 200);
  s.runUntil(2000);
  const double distance = s.window("frmUki").geometry.left - s.anglerRightEdge();
  const std::int32_t waterTop = s.scene.frmUki().WaterTop;
  s.desk.at(2100, [&] { s.desk.changeScreen({1920, 1080, 1000, 15}); });
  s.runUntil(2101);
  ExpectOnTaskbar(s, {1920, 1080, 1000, 15});
  EXPECT_EQ(s.window("frmUki").geometry.left - s.anglerRightEdge(), distance);
  EXPECT_EQ(s.scene.frmUki().WaterTop, waterTop - 40 * 15);
  // It goes on bobbing on the new water line.
  s.runUntil(5000);
  const auto& uki = s.window("frmUki").geometry;
  EXPECT_GT(uki.top + uki.height, 1000 * 15 - 50 - 400);
  EXPECT_LT(uki.top, 1000 * 15);
}

TEST(Docking, AChangeDuringAFightWaitsUntilItEnds) {
  Session s;
  s.start();
  s.castAt(0, 300);
  s.playFights();
  Desktop::Ms changedAt = 0;
  double conTopDuringFight = 0;
  bool fighting = false;
  s.desk.onEvent("bite", [&] {
    changedAt = s.desk.now() + 1000;
    s.desk.at(changedAt, [&] { s.desk.changeScreen(kSmaller); });
    s.desk.at(changedAt + 100, [&] {
      conTopDuringFight = s.window("frmCon").geometry.top;
      fighting = s.scene.st.SequenceBusy;
    });
  });
  s.runUntil(600'000);
  ASSERT_GT(changedAt, 0);
  ASSERT_TRUE(fighting);
  EXPECT_EQ(conTopDuringFight, 1040 * 15 - 230);
  ExpectOnTaskbar(s, kSmaller);
  // Nothing is left beyond the narrower screen.
  for (const auto* w : s.desk.windows()) {
    if (w->visible) {
      EXPECT_LE(w->geometry.left, 1280 * 15) << w->created.name;
    }
  }
}

}  // namespace
}  // namespace kelvory::testing
