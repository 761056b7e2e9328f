#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "base/catalogue.h"
#include "base/catch_store.h"
#include "base/wait.h"
#include "fish/fish_window.h"
#include "fishing/cast.h"
#include "float/float_window.h"
#include "records/popup_menu.h"
#include "session.h"

namespace kelvory::testing {
namespace {

// Casts with the given power straight from the panel's cast and reports
// where the float came down, measured from the angler's right edge.
struct Splash {
  double left;
  std::size_t steps;
};
Splash CastWithPower(int power) {
  Session s;
  s.start();
  s.desk.at(0, [&] {
    s.scene.frmUki().form.show();
    CastFloat(s.scene, power, -(power / 2));
  });
  s.runUntil(5000);
  return {s.window("frmUki").geometry.left - s.anglerRightEdge(), s.events("flight").size()};
}

TEST(Cast, FloatComesDownWhereThePowerSends) {
  const std::map<int, double> kLanding{{2, 149}, {13, 621}, {14, 677}, {20, 1015}};
  const std::map<int, std::size_t> kSteps{{2, 38}, {13, 43}, {14, 44}, {20, 48}};
  for (const auto& [power, left] : kLanding) {
    const Splash splash = CastWithPower(power);
    EXPECT_EQ(splash.left, left) << "power " << power;
    // The landing step itself moves nothing sideways and is not counted.
    EXPECT_EQ(splash.steps + 1, kSteps.at(power)) << "power " << power;
  }
}

// Casts charged on the panel: the stop press at stop ms gives the power;
// the angler swings through frames 0 to 4, the float flies its arc with the
// launch, level and falling pictures and comes down upright.
TEST(Cast, ThePanelCastsWithTwiceTheMeterReading) {
  struct Case {
    Desktop::Ms stop;
    int power;
    // The float's shapes with their times after the launch: 8 as it is
    // launched and (past the first step) rising, 9 level, 10 falling, 7 on
    // the water.
    std::vector<std::pair<Desktop::Ms, int>> shapes;
    double left;  // right of the angler's right edge
  };
  const Case cases[] = {
      {0, 2, {{0, 8}, {370, 7}}, 149},
      {60, 14, {{0, 8}, {0, 8}, {10, 9}, {120, 10}, {430, 7}}, 677},
      {90, 20, {{0, 8}, {0, 8}, {40, 9}, {150, 10}, {470, 7}}, 1015},
      {490, 100, {{0, 8}, {0, 8}, {440, 9}, {550, 10}, {1110, 7}}, 11175},
  };
  for (const Case& c : cases) {
    Session s;
    s.start();
    s.castAt(0, c.stop);
    s.runUntil(c.stop + 3000);
    EXPECT_EQ(s.scene.st.CastPower, c.power);
    // The wind-up: frames 0 to 4, 100 ms apart, the float launched with the
    // last of them.
    std::vector<Event> frames;
    for (Event& e : s.events("picture", "frmMan"))
      if (e.t > 0) frames.push_back(std::move(e));
    ASSERT_GE(frames.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(frames[i]["src"], "Picture1(" + std::to_string(i) + ")");
      EXPECT_EQ(frames[i].t - frames[0].t, 100 * static_cast<Desktop::Ms>(i)) << c.power;
    }
    EXPECT_EQ(frames[0].t - c.stop, 110);
    EXPECT_EQ(frames[5]["src"], "Picture1(5)");
    const auto shapes = s.events("shape", "frmUki");
    std::vector<std::pair<Desktop::Ms, int>> seen;
    for (const Event& e : shapes) seen.emplace_back(e.t - frames[4].t, e.num("index"));
    EXPECT_EQ(seen, c.shapes) << c.power;
    // Flight steps 10 ms apart; the landing step is not one of them.
    const auto steps = s.events("flight");
    for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_EQ(steps[i].t - steps[i - 1].t, 10);
    EXPECT_EQ(static_cast<Desktop::Ms>(steps.size()) * 10, shapes.back().t - shapes[0].t);
    // Where it came down, before the first bob: upright now, its top still
    // where the falling picture (12 px high) touched the sea.
    Event landed;
    for (const Event& e : s.events("move", "frmUki"))
      if (e.t == shapes.back().t) landed = e;
    EXPECT_EQ(landed.num("left") - s.anglerRightEdge(), c.left) << c.power;
    EXPECT_EQ(landed.num("top"), s.scene.frmUki().WaterTop + 315 - 180);
    EXPECT_EQ(landed.num("width"), 75);
    EXPECT_EQ(landed.num("height"), 315);
    EXPECT_TRUE(s.timerOn("frmUki", "Timer1"));
  }
}

TEST(Cast, PressesDuringTheWindUpAndTheFlightStartNothing) {
  Session s;
  s.start();
  s.castAt(0, 0);
  for (Desktop::Ms t : {150, 450, 700}) {
    s.pressAt(t);
    s.releaseAt(t + 5);
  }
  s.runUntil(1000);
  EXPECT_EQ(s.window("frmUki").geometry.left - s.anglerRightEdge(), 149);
  for (const Event& e : s.events("shape", "frmMan")) EXPECT_NE(e["index"], "6") << e.t;
  EXPECT_TRUE(s.scene.st.LineOut);
  EXPECT_FALSE(s.scene.st.SequenceBusy);
}

TEST(Meter, ClimbsToFiftyAndFallsToOneEveryTenMilliseconds) {
  Session s;
  s.start();
  s.pressAt(0);
  s.releaseAt(20);
  s.pressAt(1500);
  s.runUntil(1400);
  EXPECT_TRUE(s.window("frmCon").control("Picture2")->visible);
  EXPECT_FALSE(s.window("frmCon").control("Label1")->visible);
  const auto passes = s.events("meter");
  std::vector<double> widths;
  for (const Event& e : s.events("move", "frmCon"))
    if (e["ctrl"] == "Picture2") widths.push_back(e.num("width"));
  ASSERT_EQ(widths.size(), passes.size());
  ASSERT_GT(passes.size(), 130u);
  // Readings 2, 3, ..., 50, 49, ..., 1, 2, ...: the bar is 18 twips a unit.
  int reading = 1, dir = 1;
  for (std::size_t k = 0; k < passes.size(); ++k) {
    if (reading + dir > 50 || reading + dir < 1) dir = -dir;
    reading += dir;
    EXPECT_EQ(widths[k], 18 * reading) << k;
    EXPECT_EQ(passes[k].t, 10 * static_cast<Desktop::Ms>(k)) << k;
  }
  // The stop press at 1500 takes the reading of the pass at 1490.
  s.runUntil(1505);
  EXPECT_EQ(s.events("meter").back().t, 1490);
  EXPECT_EQ(s.scene.st.CastPower, 2 * 47);
  s.runUntil(4000);
  EXPECT_TRUE(s.window("frmCon").control("Label1")->visible);
}

TEST(Fight, HoldingWhileBlueAndLettingGoWhileRedLandsTheFish) {
  Session s;
  s.start();
  s.castAt(0, 300);
  s.playFights();
  s.runUntil(600'000);
  // "HIT!!!" for 500 ms, then a fish's name for 3000 ms.
  const auto texts = s.printed("frmC");
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0]["text"], "HIT!!!");
  int landed = 0;
  for (int16_t c : s.scene.catches.CatchCount) landed += c;
  ASSERT_GE(landed, 1);
  const auto unloads = s.events("unload", "frmC");
  ASSERT_GE(unloads.size(), 2u);
  EXPECT_EQ(unloads[0].t - texts[0].t, 500);
  const std::string name = texts[1]["text"];
  bool named = false;
  for (int i = 0; i < kSpeciesCount; ++i) named = named || GetFishInfo(i).Name == name;
  EXPECT_TRUE(named) << name;
  EXPECT_EQ(unloads[1].t - texts[1].t, 3000);
  // The count is on disk already, and the float never passed the limit.
  EXPECT_EQ(DecodeCatchCounts(s.tyouka()), s.scene.catches.CatchCount);
  for (const Event& e : s.events("move", "frmUki")) EXPECT_LE(e.num("left"), 1920 * 15 - 200);
}

// A fight on a very wide screen, struck at the first bite with the float
// put far out, played by the rules for over an hour of virtual time.
struct LongFight {
  LongFight() : s({.widthPx = 100'000}) {
    s.start();
    s.castAt(0, 90);
    s.desk.onEvent("bite", [this] {
      s.scene.frmUki().form.setLeft(1'400'000);
      uki = s.window("frmUki").geometry;
    });
    s.playFights(20);
    s.runUntil(60 * 60 * 1000);
  }
  Session s;
  Twips uki;
};

TEST(Fight, HalfStepsReelPullAndBobByTheirRangesAndTheColoursChangeByTheirChances) {
  LongFight f;
  const auto steps = f.s.events("fight");
  ASSERT_GT(steps.size(), 40'000u);
  const Desktop::Ms start = steps[0].t;
  // The strike: the thrashing float (31 x 14 px) centred where the float
  // was, its bottom on the taskbar; the marker centred above it.
  const double taskbarTop = 1040 * 15;
  const auto first = f.s.events("move", "frmUki");
  const auto marker = f.s.events("move", "frmV");
  ASSERT_FALSE(marker.empty());
  double fightTop = 0;
  for (const Event& e : first)
    if (e.t < start && e.num("width") == 465) fightTop = e.num("top");
  EXPECT_EQ(fightTop, taskbarTop - 210);
  EXPECT_EQ(f.s.scene.st.FightTop, fightTop);
  EXPECT_EQ(f.s.scene.st.FishPosition, 1'400'000);
  EXPECT_EQ(f.s.scene.st.FishSpan, 1'350'000);  // 90 % of the sea
  Event placed;
  for (const Event& e : marker)
    if (e.t < start) placed = e;
  EXPECT_EQ(placed.num("left"), 1'400'000 - 232 + (465 - 210) / 2);
  EXPECT_EQ(placed.num("top"), fightTop - 150);
  // "HIT!!!" over the angler's middle, its top 150 above the angler's.
  const Twips man = f.s.window("frmMan").geometry;
  const auto hit = f.s.events("move", "frmL");
  ASSERT_FALSE(hit.empty());
  EXPECT_EQ(hit.back().num("left"), man.left + static_cast<int>(man.width) / 2);
  EXPECT_EQ(hit.back().num("top"), man.top - 150);

  // Every half-step 75 ms after the last, ten to a pass; colours change
  // only at the start of every second pass.
  for (std::size_t i = 1; i < steps.size(); ++i) ASSERT_EQ(steps[i].t - steps[i - 1].t, 75) << i;
  std::map<Desktop::Ms, bool> changedTo;  // true: red
  for (const Event& e : f.s.events("color", "frmCon")) {
    if (e.t < start) continue;
    EXPECT_EQ((e.t - start) % 1500, 750) << e.t;
    changedTo[e.t] = e["rgb"] == "#FF0000";
  }
  // Blue turns red with a chance of 1/4 a draw, red turns blue with 1/2.
  int draws[2] = {0, 0}, changes[2] = {0, 0};
  bool red = false;
  for (Desktop::Ms t = start + 750; t <= steps.back().t; t += 1500) {
    ++draws[red];
    if (changedTo.count(t) && changedTo[t] != red) ++changes[red], red = !red;
  }
  ASSERT_GT(draws[0], 1500);
  EXPECT_NEAR(changes[0] / double(draws[0]), 1.0 / 4, 0.025);
  EXPECT_NEAR(changes[1] / double(draws[1]), 1.0 / 2, 0.05);
  // Reel 25 to 36 twips in, pull 7 to 9 out, bob -4 to +3 about FightTop.
  std::map<double, int> moved;
  double bobMin = 1e9, bobMax = -1e9, left = 1'400'000 - 232;
  for (const Event& e : first) {
    if (e.t < start) continue;
    if (e.num("left") != left) ++moved[e.num("left") - left];
    left = e.num("left");
    bobMin = std::min(bobMin, e.num("top") - fightTop);
    bobMax = std::max(bobMax, e.num("top") - fightTop);
  }
  EXPECT_EQ(bobMin, -4);
  EXPECT_EQ(bobMax, 3);
  std::vector<double> distances;
  for (const auto& [d, n] : moved) distances.push_back(d);
  std::vector<double> want;
  for (int d = -36; d <= -25; ++d) want.push_back(d);
  for (int d = 7; d <= 9; ++d) want.push_back(d);
  EXPECT_EQ(distances, want);
}

TEST(Fight, LettingGoWhileBlueLosesTheFishAndTheFloatBobsOn) {
  Session s;
  s.start();
  s.castAt(0, 300);
  Desktop::Ms lostAt = 0;
  s.desk.onEvent(
      "bite",
      [&] {
        s.desk.press("frmCon", "Picture1");
        s.desk.at(s.desk.now() + 600, [&] {
          lostAt = s.desk.now();
          s.desk.release("frmCon", "Picture1");
        });
      },
      20);
  s.runUntil(120'000);
  ASSERT_GT(lostAt, 0);
  const auto texts = s.printed("frmC");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1]["text"], "バレタ！！");
  const auto unloads = s.events("unload", "frmC");
  EXPECT_EQ(unloads.back().t - texts[1].t, 1500);
  EXPECT_EQ(s.buttonColour(), kBlue);
  EXPECT_FALSE(s.window("frmV").visible);
  const auto& uki = s.window("frmUki");
  EXPECT_EQ(uki.geometry.width, 75);
  EXPECT_EQ(uki.geometry.height, 315);
  EXPECT_TRUE(s.scene.st.LineOut);
  EXPECT_FALSE(s.scene.st.SequenceBusy);
  EXPECT_TRUE(s.timerOn("frmUki", "Timer1"));
  for (int16_t c : s.scene.catches.CatchCount) EXPECT_EQ(c, 0);
}

TEST(Fight, TheMenuOpenedMidFightLeavesTheFightAsItWas) {
  Session s;
  s.start();
  s.castAt(0, 300);
  bool busy = false, bobbing = true;
  s.desk.onEvent(
      "bite",
      [&] {
        s.desk.press("frmCon", "Picture1");
        s.desk.onEvent("menu", [&] { s.desk.chooseMenuItem("none"); });
        s.desk.at(s.desk.now() + 700,
                  [&] { s.desk.press("frmCon", "Picture1", MouseButton::Right); });
        s.desk.at(s.desk.now() + 800, [&] {
          busy = s.scene.st.SequenceBusy;
          bobbing = s.timerOn("frmUki", "Timer1");
        });
      },
      20);
  s.runUntil(120'000);
  ASSERT_EQ(s.events("menu").size(), 1u);
  EXPECT_TRUE(busy);
  EXPECT_FALSE(bobbing);
}

// Struck with the float put at left twips right of the angler's right
// edge: the thrashing float, 465 wide and centred where the float was,
// overlaps the angler by 100 twips or more up to 132.
TEST(Fight, AFloatCloseToTheAnglerIsLandedAtOnceWithoutAFight) {
  for (double left : {132, 133}) {
    Session s;
    s.start();
    s.castAt(0, 0);
    s.desk.onEvent("bite", [&] {
      s.scene.frmUki().form.setLeft(s.anglerRightEdge() + left);
      s.desk.press("frmCon", "Picture1");
    });
    s.runUntil(60'000);
    ASSERT_FALSE(s.events("bite").empty());
    const auto texts = s.printed("frmC");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0]["text"] == "HIT!!!", left == 133);
    EXPECT_EQ(s.events("show", "frmV").empty(), left == 132);
  }
}

// The float's place after each moment it moved, from the trace.
std::vector<Event> Settled(const Session& s, Desktop::Ms from) {
  std::vector<Event> moves;
  for (Event& e : s.events("move", "frmUki")) {
    if (e.t < from) continue;
    if (!moves.empty() && moves.back().t == e.t) moves.pop_back();
    moves.push_back(std::move(e));
  }
  return moves;
}

// With every draw at 0.3 the fish pulls from the first colour draw on and
// never rests: the float goes out 9 twips a half-step, bobbing 2 above
// FightTop, and stops 200 twips short of the screen's right edge.
TEST(Fight, APullingFishTakesTheFloatNoFurtherThan200TwipsFromTheEdge) {
  Session s;
  s.start();
  s.castAt(0, 90);
  s.desk.onEvent("bite", [&] {
    s.scene.frmUki().form.setLeft(1920 * 15 - 1000);
    s.desk.press("frmCon", "Picture1");
    s.rnd.pin({0.3f});
  });
  s.desk.onEvent({.ev = "color", .window = "frmCon"},
                 [&] { s.desk.release("frmCon", "Picture1"); });
  s.runUntil(60'000);
  ASSERT_FALSE(s.events("bite").empty());
  double furthest = 0;
  for (const Event& e : Settled(s, 0)) furthest = std::max(furthest, e.num("left"));
  EXPECT_EQ(furthest, 1920 * 15 - 200);
  EXPECT_EQ(s.window("frmUki").geometry.left, 1920 * 15 - 200);
  EXPECT_EQ(s.window("frmUki").geometry.top, s.scene.st.FightTop - 2);
  EXPECT_TRUE(s.scene.st.Reeling);
  // The strike press jerks the rod for 50 ms, then the fight starts 1 ms
  // later.
  EXPECT_EQ(s.printed("frmC")[0].t - s.events("bite")[0].t, 51);
  // Pressing while it pulls loses it at the start of the next pass.
  s.pressAt(60'100);
  s.runUntil(62'000);
  const auto texts = s.printed("frmC");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1]["text"], "バレタ！！");
  const Desktop::Ms start = s.events("fight")[0].t;
  EXPECT_EQ((texts[1].t - start) % 750, 0);
  EXPECT_LT(texts[1].t - 60'100, 750);
}

// Power 14 (677 twips out), the button pressed before the float's first
// tick: the reel pulls it under to 30 twips above the sea's top edge, 20
// twips nearer the angler every 15 ms, jerks it up 30 when it lies there,
// and lands the empty hook once within 30 twips.
TEST(Reel, PullsUnderAndDragsInTwentyTwipsAStep) {
  // From where the float lies to where its drift stops: a pass that ends
  // 35 twips out goes on, one that ends within 30 lands the hook.
  const std::pair<double, double> cases[] = {{677, 17}, {215, 15}};
  for (const auto& [from, to] : cases) {
    Session s;
    s.start();
    s.castAt(0, 60);
    s.desk.at(1040, [&] { s.scene.frmUki().form.setLeft(s.anglerRightEdge() + from); });
    s.pressAt(1050);
    s.runUntil(8000);
    const double edge = s.anglerRightEdge();
    const double seaTop = s.window("frmSea").geometry.top;
    const auto moves = Settled(s, 1050);
    ASSERT_GT(moves.size(), 8u);
    EXPECT_EQ(moves[0].t, 1050 + 50);  // after the rod's jerk
    double left = edge + from, top = seaTop - 180;
    Desktop::Ms last = 0;
    for (const Event& e : moves) {
      const double dl = e.num("left") - left, dt = e.num("top") - top;
      if (dt > 0) {
        EXPECT_EQ(e.t - last, 15) << e.t;
      }
      last = e.t;
      // A pass starts where the float lies, so its first step (20 nearer)
      // comes with the jerk that ended the last pass.
      EXPECT_TRUE(dl == -20 || (dl == 0 && left - 20 < edge)) << e.t << " " << dl;
      if (dt < 0) {
        EXPECT_EQ(dt, -30) << e.t;
        EXPECT_GE(top, seaTop - 37) << e.t;  // the pull ends within 8 of its target
        EXPECT_LE(top, seaTop - 30) << e.t;
      }
      left = e.num("left");
      top = e.num("top");
    }
    EXPECT_EQ(left - edge, to) << from;
    EXPECT_FALSE(s.loaded("frmUki"));
  }
}

// Let go after 250 ms: the float drops to the sea's top edge 80 ms after the
// pull's end and rises in steps of 36 twips every 50 ms, 8 nearer the angler
// each.
TEST(Reel, LettingGoFloatsTheFloatBackUp) {
  Session s;
  s.start();
  s.castAt(0, 60);
  s.pressAt(1050);
  s.releaseAt(1300);
  s.runUntil(3000);
  const double seaTop = s.window("frmSea").geometry.top;
  Desktop::Ms back = 0;
  for (const Event& e : s.events("timer", "frmUki"))
    if (e.t >= 1300 && e["enabled"] == "false" && !back) back = e.t;
  ASSERT_GT(back, 0);
  const auto moves = Settled(s, back);
  ASSERT_GE(moves.size(), 9u);
  double left = Settled(s, 1050)[0].num("left");
  for (const Event& e : Settled(s, 1050))
    if (e.t < back) left = e.num("left");
  for (std::size_t k = 0; k < 9; ++k) {
    EXPECT_EQ(moves[k].t, back + 80 + 50 * static_cast<Desktop::Ms>(k)) << k;
    EXPECT_EQ(moves[k].num("top"), seaTop - 36 * static_cast<double>(k)) << k;
    EXPECT_EQ(moves[k].num("left"), left - 8 * static_cast<double>(k + 1)) << k;
  }
}

TEST(Reel, AnEmptyLineReeledInShowsTheHookAndCountsNothing) {
  Session s;
  s.start();
  s.castAt(0, 0);
  s.pressAt(1000);  // no bite yet: reel the empty line in
  s.runUntil(15'000);
  ASSERT_FALSE(s.events("picture", "frmFish").empty());
  EXPECT_EQ(s.events("picture", "frmFish")[0]["src"], "Picture1(99)");
  for (int16_t c : s.scene.catches.CatchCount) EXPECT_EQ(c, 0);
  EXPECT_TRUE(s.printed("frmC").empty());
  // Then every fishing window is gone.
  for (const char* w : {"frmUki", "frmFish", "frmL", "frmC", "frmR"})
    EXPECT_FALSE(s.loaded(w)) << w;
  EXPECT_FALSE(s.scene.st.LineOut);
  EXPECT_FALSE(s.scene.st.SequenceBusy);
  EXPECT_EQ(s.window("frmMan").picture, "Picture1(0)");
  // The next press charges a new cast.
  s.pressAt(s.desk.now() + 10);
  s.runFor(100);
  EXPECT_TRUE(s.scene.st.MeterOn);
}

TEST(Catch, TheThirteenthSpeciesEarnsTheCertificate) {
  Session s;
  s.writeIni("[Data]\r\nTyouka=001001001001001001001001001001001001000\r\n");
  s.start();
  EXPECT_FALSE(s.scene.frmMenu().completeVisible());
  s.desk.at(10, [&] { s.scene.frmFish().getFish(12, true); });
  s.runUntil(10'000);
  EXPECT_EQ(s.scene.catches.CatchCount[12], 1);
  EXPECT_TRUE(s.scene.frmMenu().completeVisible());
  EXPECT_NE(s.ini().find("Complete=1"), std::string::npos);
  EXPECT_EQ(s.tyouka(), "001001001001001001001001001001001001001");
  EXPECT_FALSE(s.loaded("frmFish"));

  // Later catches only save the counts: the certificate is earned once.
  s.desk.at(10'010, [&] { s.scene.frmFish().getFish(3, true); });
  s.runUntil(20'000);
  EXPECT_EQ(s.tyouka(), "001001001002001001001001001001001001001");
  int completeWrites = 0;
  for (const Event& e : s.events("write")) completeWrites += e["key"] == "Complete";
  EXPECT_EQ(completeWrites, 1);
}

TEST(Catch, CountsStopAtTheLargestStoredValue) {
  Session s;
  s.writeIni("[Data]\r\nTyouka=FFF\r\n");
  s.start();
  s.desk.at(10, [&] { s.scene.frmFish().getFish(0, true); });
  s.runUntil(10'000);
  EXPECT_EQ(s.scene.catches.CatchCount[0], 0xFFF);
  EXPECT_EQ(s.tyouka().substr(0, 3), "FFF");
}

}  // namespace
}  // namespace kelvory::testing
