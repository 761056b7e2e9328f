#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "float/float_window.h"
#include "session.h"

namespace kelvory::testing {
namespace {

// One tick of the float's timer, read back from the trace.
struct Tick {
  Desktop::Ms start = 0;
  Desktop::Ms armed = 0;  // the timer running again after the movement
  double topBefore = 0, top = 0, leftBefore = 0, left = 0;
  std::vector<double> tops;  // each new Top, with its time
  std::vector<Desktop::Ms> times;
  bool bite = false;
};

std::vector<Tick> Ticks(const Session& s) {
  std::vector<Tick> ticks;
  double top = 0, left = 0;
  bool running = false;
  for (const Event& e : s.about("frmUki")) {
    if (e.ev == "load") running = false;
    if (e.ev == "timer" && e["ctrl"] == "Timer1") {
      const bool on = e["enabled"] == "true";
      if (!on && running) {
        Tick tick;
        tick.start = e.t;
        tick.topBefore = tick.top = top;
        tick.leftBefore = tick.left = left;
        ticks.push_back(tick);
      }
      if (on && !running && !ticks.empty() && ticks.back().armed == 0) ticks.back().armed = e.t;
      running = on;
    }
    if (e.ev == "move" && e["ctrl"].empty()) {
      if (!ticks.empty() && e.num("top") != top) {
        ticks.back().tops.push_back(e.num("top"));
        ticks.back().times.push_back(e.t);
      }
      top = e.num("top");
      left = e.num("left");
    }
    if (e.ev == "bite" && !ticks.empty()) ticks.back().bite = true;
    if (!ticks.empty()) {
      ticks.back().top = top;
      ticks.back().left = left;
    }
  }
  return ticks;
}

// A cast of power 20 left alone for the given virtual time: the float bobs,
// dips and bites unanswered.
struct Bobbing {
  explicit Bobbing(Desktop::Ms ms, Desktop::Ms stop = 90) {
    s.start();
    s.castAt(0, stop);
    s.desk.at(2000, [this] {
      waterTop = s.scene.frmUki().WaterTop;
      delay = s.scene.frmUki().BiteDelay;
      const Form& man = s.scene.frmMan().form;
      nearEdge = man.left() + 2 * man.width();
    });
    s.runUntil(ms);
    ticks = Ticks(s);
  }
  Session s;
  double waterTop = 0, nearEdge = 0;
  int delay = 0;
  std::vector<Tick> ticks;
};

enum class Kind { Bob, ThirdDip, HalfDip, Bite, Other };

// Where each event leaves the float: its target, give or take the last
// partial step of under 8 twips.
Kind KindOf(const Tick& t, double waterTop) {
  const double depth = t.top - waterTop;
  if (t.bite) return depth >= 308 && depth <= 315 ? Kind::Bite : Kind::Other;
  if (depth >= 30 - 7 && depth <= 49 + 7) return Kind::Bob;
  if (depth >= 105 - 7 && depth <= 105 + 7) return Kind::ThirdDip;
  if (depth >= 157 - 7 && depth <= 157 + 7) return Kind::HalfDip;
  return Kind::Other;
}

TEST(Float, TicksBobDipAndBiteWithTheirChancesAndDepths) {
  Bobbing b(2 * 3600 * 1000);
  ASSERT_GT(b.ticks.size(), 20000u);
  // No bite can come during the delay drawn at the cast.
  for (int i = 0; i < b.delay; ++i)
    EXPECT_EQ(KindOf(b.ticks[static_cast<std::size_t>(i)], b.waterTop), Kind::Bob) << i;

  std::array<int, 5> seen{};
  double deepestBob = 0, highestBob = 1e9, deepestBite = 0;
  int drifts = 0, bobs = 0, gaps = 0;
  double driftMin = 0, driftMax = 0;
  for (std::size_t i = 0; i + 1 < b.ticks.size(); ++i) {
    const Tick& t = b.ticks[i];
    const Kind kind = KindOf(t, b.waterTop);
    if (i >= static_cast<std::size_t>(b.delay)) ++seen[static_cast<std::size_t>(kind)];
    // Equal steps of an eighth of the way, 10 ms apart, until within 8
    // twips of the target: eight of them unless the steps are small.
    if (!t.tops.empty()) {
      const double step = t.tops[0] - t.topBefore;
      EXPECT_TRUE(std::abs(step) < 8 ? t.tops.size() <= 8 : t.tops.size() == 8) << t.start;
      for (std::size_t k = 1; k < t.tops.size(); ++k) {
        EXPECT_EQ(t.tops[k] - t.tops[k - 1], step) << t.start;
        EXPECT_EQ(t.times[k] - t.times[k - 1], 10) << t.start;
      }
    }
    const bool down = t.top > t.topBefore, up = t.top < t.topBefore;
    const double depth = t.top - b.waterTop;
    if (kind == Kind::Bob) {
      ++bobs;
      if (down) deepestBob = std::max(deepestBob, depth);
      if (up) highestBob = std::min(highestBob, depth);
      const double d = t.left - t.leftBefore;
      const bool clear = t.leftBefore - 20 >= b.nearEdge;
      if (d != 0) ++drifts;
      if (clear) driftMin = std::min(driftMin, d), driftMax = std::max(driftMax, d);
    }
    if (kind == Kind::Bite && down) deepestBite = std::max(deepestBite, depth);
    if (kind == Kind::HalfDip) {
      EXPECT_TRUE(down ? depth <= 157 : !up || depth >= 157) << t.start;
    }
    if (kind == Kind::ThirdDip) {
      EXPECT_TRUE(down ? depth <= 105 : !up || depth >= 105) << t.start;
    }
    // The timer is re-armed when the movement is over; a bite's tick runs on
    // through its strike window.
    if (kind != Kind::Bite && t.armed) {
      EXPECT_EQ(b.ticks[i + 1].start - t.armed, 200) << t.start;
      ++gaps;
    }
  }
  EXPECT_GT(gaps, 20000);
  EXPECT_EQ(seen[static_cast<std::size_t>(Kind::Other)], 0);
  // Once the delay is over, bite, half and third dip each come with a
  // chance of 1/30 a tick (1/25 and 1/40 lie far outside these bounds).
  const double n = static_cast<double>(b.ticks.size()) - b.delay - 1;
  for (Kind k : {Kind::Bite, Kind::HalfDip, Kind::ThirdDip})
    EXPECT_NEAR(seen[static_cast<std::size_t>(k)] / n, 1.0 / 30, 0.004) << int(k);
  // Bobs settle 30 to 49 twips deep (the ends: PinnedDrawsReachEachEnd).
  EXPECT_LE(deepestBob, 49);
  EXPECT_EQ(highestBob, 30);
  EXPECT_EQ(deepestBite, 315);
  // One bob in three drifts -20 to 19 twips (a drift of 0 moves nothing).
  EXPECT_NEAR(drifts / double(bobs), 1.0 / 3 * 39 / 40, 0.02);
  EXPECT_EQ(driftMin, -20);
  EXPECT_EQ(driftMax, 19);
}

// With its draws pinned, the float's next tick after it has been put 12
// twips above a target steps down one twip at a time and stops 7 short: so
// the target shows exactly. Drifts show as the change of Left.
TEST(Float, PinnedDrawsReachEachEndOfEveryRange) {
  struct Case {
    std::vector<float> draws;
    double depth, drift;
  };
  constexpr float kTop = 0.99999f;
  const Case cases[] = {
      {{0, 0, 0}, 30, 0},             // bob, shallowest, no drift
      {{0, kTop, 0}, 49, 0},          // bob, deepest
      {{0, 0, 0.34f, 0}, 30, -20},    // drift one way ...
      {{0, 0, 0.66f, kTop}, 30, 19},  // ... and the other
      {{2.5f / 30}, 157, 0},          // half dip: half the height
      {{3.5f / 30}, 105, 0},          // third dip
      {{1.5f / 30}, 315, 0},          // bite: the whole height
  };
  for (const Case& c : cases) {
    Session s;
    s.start();
    s.castAt(0, 90);
    double waterTop = 0, left = 0;
    s.desk.at(3000, [&] {
      FloatWindow& uki = s.scene.frmUki();
      uki.BiteDelay = 0;
      s.rnd.pin(c.draws);
      waterTop = uki.WaterTop;
      left = uki.form.left();
      uki.form.setTop(waterTop + c.depth - 12);
    });
    s.runUntil(3250);
    const auto& uki = s.window("frmUki").geometry;
    EXPECT_EQ(uki.top - waterTop, c.depth - 7) << c.depth << " " << c.draws.size();
    EXPECT_EQ(uki.left - left, c.drift) << c.depth << " " << c.draws.size();
  }
}

TEST(Float, DriftsAwayFromTheAnglerBelowTwiceHisWidth) {
  // Power 2: the float comes down closer than twice the angler's width.
  Bobbing b(30 * 60 * 1000, 0);
  ASSERT_LT(b.ticks.front().leftBefore, b.nearEdge);
  double closest = 1e9;
  for (const Tick& t : b.ticks) {
    if (t.left < t.leftBefore) {
      EXPECT_GE(t.left, b.nearEdge) << t.start;
      closest = std::min(closest, t.left - b.nearEdge);
    }
    if (t.leftBefore < b.nearEdge) {
      EXPECT_GE(t.left, t.leftBefore) << t.start;
    }
  }
  EXPECT_LE(closest, 3);
}

TEST(Float, BiteDelayRunsFrom15To99Ticks) {
  Session s;
  s.start();
  std::array<int, 101> seen{};
  s.desk.at(0, [&] {
    for (int i = 0; i < 4000; ++i) {
      s.rnd.reseed(i);
      s.scene.unloadFloat();
      ++seen.at(static_cast<std::size_t>(std::clamp(s.scene.frmUki().BiteDelay, 0, 100)));
    }
  });
  s.runUntil(10);
  for (int d = 0; d <= 100; ++d)
    EXPECT_EQ(seen[static_cast<std::size_t>(d)] > 0, d >= 15 && d <= 99) << d;
}

// A cast of power 20, then a press reaction ms after the first bite.
struct Strike {
  explicit Strike(Desktop::Ms reaction) {
    s.start();
    s.castAt(0, 90);
    s.desk.onEvent(
        "bite", [this] { s.desk.press("frmCon", "Picture1"); }, reaction);
    s.runUntil(60'000);
  }
  bool hooked() {
    for (const Event& e : s.printed("frmC"))
      if (e["text"] == "HIT!!!") return true;
    return false;
  }
  Session s;
};

TEST(Float, AStrikeCountsForThreeHundredMillisecondsAfterTheFloatWentUnder) {
  EXPECT_TRUE(Strike(0).hooked());
  EXPECT_TRUE(Strike(299).hooked());
  EXPECT_FALSE(Strike(301).hooked());
  Strike late(450);
  EXPECT_FALSE(late.hooked());
  const auto bites = late.s.events("bite");
  const auto closed = late.s.events("strike-closed");
  ASSERT_FALSE(bites.empty());
  ASSERT_FALSE(closed.empty());
  EXPECT_EQ(closed[0].t - bites[0].t, 300);
}

}  // namespace
}  // namespace kelvory::testing
