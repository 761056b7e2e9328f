#include <gtest/gtest.h>

#include <algorithm>

#include "base/catalogue.h"
#include "base/wait.h"
#include "fish/fish_window.h"
#include "float/float_window.h"
#include "session.h"

namespace kelvory::testing {
namespace {

constexpr float kTop = 0.99999f;

// The fish window's display after a cast of power 20, run directly with
// every draw pinned to one value.
struct Display {
  Display(float draw, bool hooked) {
    s.start();
    s.castAt(0, 90);
    s.desk.at(3000, [this, draw, hooked] {
      const Form& man = s.scene.frmMan().form;
      base = man.left() + (static_cast<int>(man.width()) / 2) + 100;
      floatLeft = s.window("frmUki").geometry.left;
      seaTop = s.window("frmSea").geometry.top;
      s.scene.frmUki().Timer1.setEnabled(false);
      s.rnd.pin({draw});
      s.scene.frmFish().getFish(5, hooked);
    });
    s.runUntil(10'000);
  }
  Session s;
  double base = 0, floatLeft = 0, seaTop = 0;
};

TEST(FishWindow, DragsTheFloatRisesAndShowsTheNameForThreeSeconds) {
  for (float draw : {0.0f, kTop}) {
    Display d(draw, true);
    const double offset = draw == 0 ? -20 : -1;  // of the float in the drag
    const double wriggle = draw == 0 ? -50 : -1;
    // The drag: 14 steps 20 ms apart, 10 twips each, 1 to 20 twips short.
    std::vector<Event> drag;
    for (const Event& e : d.s.events("move", "frmUki"))
      if (e.t >= 3000) drag.push_back(e);
    ASSERT_GE(drag.size(), 14u);
    for (std::size_t k = 0; k < 14; ++k) {
      EXPECT_EQ(drag[k].t, 3000 + 20 * static_cast<Desktop::Ms>(k)) << k;
      EXPECT_EQ(drag[k].num("left"), d.floatLeft - 10.0 * static_cast<double>(k) + offset) << k;
    }
    // The rise: 8 twips every 10 ms up to 504 above the sea; the float
    // splashes beside it for 61 steps and is gone at the 62nd.
    std::vector<Event> rise;
    for (const Event& e : d.s.events("move", "frmFish"))
      if (e.num("top") != d.seaTop || !rise.empty()) rise.push_back(e);
    std::vector<Event> tops;
    for (const Event& e : rise)
      if (tops.empty() || e.num("top") != tops.back().num("top")) tops.push_back(e);
    ASSERT_EQ(tops.size(), 63u);
    const Desktop::Ms riseStart = tops[0].t - 10;
    EXPECT_EQ(riseStart, 3000 + 14 * 20);
    for (std::size_t k = 0; k < tops.size(); ++k) {
      EXPECT_EQ(tops[k].num("top"), d.seaTop - 8 * static_cast<double>(k + 1)) << k;
      EXPECT_EQ(tops[k].t, riseStart + 10 * static_cast<Desktop::Ms>(k + 1)) << k;
    }
    const auto gone = d.s.events("unload", "frmUki");
    ASSERT_FALSE(gone.empty());
    EXPECT_EQ(gone.back().t, riseStart + 61 * 10);
    // Every wriggle keeps the fish 1 to 50 twips left of its place.
    for (const Event& e : rise) EXPECT_EQ(e.num("left"), d.base + wriggle);
    EXPECT_EQ(d.s.events("timer", "frmFish")[0].num("interval"), 50);
    // The name's balloon: its tail at the fish's middle, 270 above its top.
    const auto text = d.s.printed("frmC");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0]["text"], "ふぐ");
    EXPECT_EQ(text[0].t, riseStart + 64 * 10);
    const auto left = d.s.events("move", "frmL");
    EXPECT_EQ(left.back().num("left"), d.base + wriggle + 270);
    EXPECT_EQ(left.back().num("top"), d.seaTop - 504 - 270 - 150);
    EXPECT_EQ(d.s.events("unload", "frmC").back().t - text[0].t, 3000);
    EXPECT_EQ(d.s.events("unload", "frmFish").back().t - text[0].t, 3000);
  }
}

TEST(FishWindow, TheEmptyHookStands150TwipsFurtherLeftStillForTwoSeconds) {
  Display d(kTop, false);
  const auto moves = d.s.events("move", "frmFish");
  ASSERT_FALSE(moves.empty());
  for (const Event& e : moves)
    if (e.num("top") < d.seaTop) {
      EXPECT_EQ(e.num("left"), d.base - 150);
    }
  EXPECT_EQ(moves.back().num("top"), d.seaTop - 504);
  EXPECT_EQ(d.s.events("unload", "frmFish").back().t - moves.back().t, 10 + 2000);
  EXPECT_TRUE(d.s.printed("frmC").empty());
}

TEST(Landing, TheAnglerLiftsTheRodThroughSixPicturesAndTheFishComesAtTheThird) {
  Session s;
  s.start();
  s.castAt(0, 0);
  s.pressAt(1000);  // reel the empty line in
  s.runUntil(15'000);
  std::vector<Event> frames;
  for (const Event& e : s.events("picture", "frmMan"))
    if (e.t > 1000) frames.push_back(e);
  ASSERT_GE(frames.size(), 7u);
  const auto n = frames.size();
  const auto shown = s.events("load", "frmFish");
  const auto gone = s.events("unload", "frmFish");
  ASSERT_EQ(shown.size(), 1u);
  ASSERT_EQ(gone.size(), 1u);
  // 6 with the jerk, then 5 to 0, 150 ms apart, the fish window's display
  // between 3 and 2.
  const Desktop::Ms t5 = frames[n - 6].t;
  const Desktop::Ms expected[] = {
      t5, t5 + 150, t5 + 300, gone[0].t + 150, gone[0].t + 300, gone[0].t + 450};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(frames[n - 6 + i]["src"], "Picture1(" + std::to_string(5 - i) + ")");
    EXPECT_EQ(frames[n - 6 + i].t, expected[i]) << i;
  }
  EXPECT_EQ(frames[n - 7]["src"], "Picture1(6)");
  EXPECT_EQ(shown[0].t, t5 + 300);
}

// The species for each rounded draw r: the first whose running sum of
// weights reaches r.
TEST(Catalogue, TheFirstRunningSumThatReachesTheDrawWins) {
  struct Case {
    std::int32_t position;
    std::vector<double> sums;  // running sums, species 0 to 12
  };
  constexpr std::int32_t kSpan = 27000;
  const Case cases[] = {
      {0, {10, 11, 21, 22, 27, 47, 57, 58, 63, 65, 66, 71, 76}},
      {kSpan, {2, 4, 6, 9, 10, 20, 30, 32, 37, 40, 50, 55, 60}},
      {kSpan / 2, {6, 7.5, 13.5, 15.5, 18.5, 33.5, 43.5, 45, 50, 52.5, 58, 63, 68}},
  };
  for (const Case& c : cases) {
    const int total = static_cast<int>(c.sums.back());
    for (int r = 0; r <= total; ++r) {
      TestRandom rnd(1);
      rnd.pin({static_cast<float>(r) / static_cast<float>(total)});
      const auto want = std::lower_bound(c.sums.begin(), c.sums.end(), r) - c.sums.begin();
      EXPECT_EQ(ChooseFish(kSpan, c.position, rnd), want) << c.position << " r " << r;
    }
  }
  // Beyond the span the lines go on: at 1.25 spans かれい weighs 0.
  TestRandom rnd(3);
  for (int n = 0; n < 5000; ++n) EXPECT_NE(ChooseFish(kSpan, kSpan * 5 / 4, rnd), 4);
  EXPECT_EQ(FishName(0), "かわはぎ");
  EXPECT_EQ(FishName(12), "かに");
}

}  // namespace
}  // namespace kelvory::testing
