#include <gtest/gtest.h>

#include "base/catch_store.h"
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

TEST(Landing, AFailedSaveIsToldOnceUntilSavingWorksAgain) {
  Session s;
  s.start();
  // From now on no save can succeed: a folder takes the file's place.
  std::filesystem::create_directories(s.dir / "KVY.ini");
  s.desk.onEvent("msgbox", [&s] { s.desk.answer(MsgAnswer::Ok); });
  s.castAt(0, 300);
  s.playFights();
  s.runUntil(600'000);
  int landed = 0;
  for (int16_t c : s.scene.catches.CatchCount) landed += c;
  ASSERT_GE(landed, 1);
  const auto boxes = s.events("msgbox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], kNotSavedMessage);
  // Later failing landings say nothing more...
  s.desk.at(s.desk.now() + 10, [&s] { s.scene.catches.SaveLanding(); });
  s.runFor(100);
  EXPECT_EQ(s.events("msgbox").size(), 1u);
  // ...until a save has worked again and the next one fails.
  std::filesystem::remove(s.dir / "KVY.ini");
  s.desk.at(s.desk.now() + 10, [&s] { s.scene.catches.SaveLanding(); });
  s.runFor(100);
  EXPECT_EQ(DecodeCatchCounts(s.tyouka()), s.scene.catches.CatchCount);
  std::filesystem::remove(s.dir / "KVY.ini");
  std::filesystem::create_directories(s.dir / "KVY.ini");
  s.desk.at(s.desk.now() + 10, [&s] { s.scene.catches.SaveLanding(); });
  s.runFor(100);
  EXPECT_EQ(s.events("msgbox").size(), 2u);
}

}  // namespace
}  // namespace kelvory::testing
