#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fishing/cast.h"
#include "float/float_window.h"
#include "session.h"

namespace kelvory::testing {
namespace {

// One picture change of the float and what it became; stepsBefore counts
// the flight steps done before it, one less than the number of the step
// that made it (0 for the launch, too).
struct Change {
  int stepsBefore;
  int shape;
  double width, height;
  std::string picture;
  bool operator==(const Change&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Change& c) {
  return os << "{after " << c.stepsBefore << " steps: shape " << c.shape << ", " << c.width << " x "
            << c.height << ", " << c.picture << "}";
}

std::vector<Change> FlightChanges(int power) {
  Session s;
  s.start();
  s.desk.at(0, [&] {
    s.scene.frmUki().form.show();
    CastFloat(s.scene, power, -(power / 2));
  });
  s.runUntil(3000);
  std::vector<Change> changes;
  int steps = 0;
  double width = 0, height = 0;
  for (const Event& e : s.about("frmUki")) {
    if (e.ev == "flight") ++steps;
    if (e.ev == "move" && e["ctrl"].empty()) {
      width = e.num("width");
      height = e.num("height");
    }
    if (e.ev == "shape")
      changes.push_back({steps, static_cast<int>(e.num("index")), width, height});
    if (e.ev == "picture" && !changes.empty()) changes.back().picture = e["src"];
  }
  return changes;
}

// The step of each power's flight (2, 4, ..., 100) in which the float
// reaches the sea.
constexpr int kLandingStep[] = {38, 39, 40, 41, 42,  43,  44,  45,  47,  48,  49, 50, 52,
                                53, 54, 56, 57, 59,  60,  61,  63,  64,  66,  67, 69, 71,
                                72, 74, 75, 77, 79,  80,  82,  84,  85,  87,  89, 90, 92,
                                94, 96, 97, 99, 101, 103, 104, 106, 108, 110, 112};

// Every power the panel can give: the float is launched tilted left (17 x
// 12 px); a cast strong enough to rise faster than 5 twips a step after the
// first shows it again, lies flat (21 x 5) from the step in which the
// rise slows to 5, tilts right from the step in which the fall reaches 6,
// and stands upright (5 x 21) once on the water.
TEST(CastFlight, EveryPowerChangesThePicturesAtItsOwnSteps) {
  const Change tiltedLeft{0, 8, 255, 180, "Picture1(1)"};
  for (int power = 2; power <= 100; power += 2) {
    const int rise = power / 2;
    std::vector<Change> expected{tiltedLeft};
    if (rise - 1 > 5) {
      expected.push_back(tiltedLeft);
      expected.push_back({rise - 5 - 1, 9, 315, 75, "Picture1(2)"});
      expected.push_back({rise + 6 - 1, 10, 255, 180, "Picture1(3)"});
    }
    expected.push_back({kLandingStep[power / 2 - 1] - 1, 7, 75, 315, "Picture1(0)"});
    EXPECT_EQ(FlightChanges(power), expected) << "power " << power;
  }
}

// One tick of the angler's shake timer: the bent-rod picture and shape it
// showed and the interval it chose, at t ms after the fight began.
struct Shake {
  Desktop::Ms t;
  std::string picture;
  int shape;
  int interval;
  bool operator==(const Shake&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Shake& k) {
  return os << "{" << k.t << " ms: " << k.picture << ", shape " << k.shape << ", next in "
            << k.interval << " ms}";
}

// The shake ticks after the fight's start (the timer switched on) and
// before end; a picture that no new interval follows is the landing's.
std::vector<Shake> Shakes(const Session& s, Desktop::Ms start, Desktop::Ms end) {
  std::vector<Shake> ticks;
  bool ticking = false;
  for (const Event& e : s.about("frmMan")) {
    if (e.t <= start || e.t >= end || e["win"] != "frmMan") continue;
    if (e.ev == "picture") {
      if (ticking) break;  // the landing's pictures
      ticks.push_back({e.t - start, e["src"], -1, -1});
      ticking = true;
    }
    if (e.ev == "shape" && ticking) ticks.back().shape = static_cast<int>(e.num("index"));
    if (e.ev == "timer" && e["ctrl"] == "Timer1" && e["enabled"] == "true") {
      if (!ticking) break;  // switched on for a later fight
      ticks.back().interval = static_cast<int>(e.num("interval"));
      ticking = false;
    }
  }
  if (ticking) ticks.pop_back();
  return ticks;
}

// Plays a cast and the fight that follows; calls began, once, as the rod
// starts to shake (the timer switched on), and returns that time.
Desktop::Ms PlayToFight(Session& s, std::function<void()> began) {
  auto start = std::make_shared<Desktop::Ms>(-1);
  s.desk.onEvent({.ev = "timer", .window = "frmMan"}, [&s, start, began] {
    *start = s.desk.now();
    began();
  });
  s.castAt(0, 90);
  s.playFights();
  for (Desktop::Ms t = 0; *start < 0 && t < 60'000; t += 100) s.runUntil(t);
  return *start;
}

// While "HIT!!!" shows, only the shake timer draws: pinned draws at the
// ends of its two ranges give frame 5 (draw just under a half) or 6 (a
// half) and intervals of 100 (draw 0) or 199 ms (draw just under 1); the
// first tick comes after the design interval of 80 ms.
TEST(RodShake, TheFightShakesTheRodBetweenTwoFramesEvery100To199Ms) {
  Session s;
  s.start();
  const Desktop::Ms start = PlayToFight(s, [&] { s.rnd.pin({0.4999f, 0.0f, 0.5f, 0.9999f}); });
  ASSERT_GT(start, 0);
  s.runUntil(start + 499);
  const std::vector<Shake> expected{{80, "Picture1(5)", 5, 100},
                                    {180, "Picture1(6)", 6, 199},
                                    {379, "Picture1(5)", 5, 100},
                                    {479, "Picture1(6)", 6, 199}};
  EXPECT_EQ(Shakes(s, start, start + 500), expected);
}

// A whole fight with the game's own draws: each tick comes as long after
// the last as that one chose, shows one of the two bent rods with its
// shape, and the fight sees both.
TEST(RodShake, EveryTickOfAFightShowsABentRodAtTheChosenInterval) {
  Session s;
  s.start();
  const Desktop::Ms start = PlayToFight(s, [] {});
  ASSERT_GT(start, 0);
  s.runUntil(start + 60'000);
  const std::vector<Shake> ticks = Shakes(s, start, start + 60'000);
  ASSERT_GT(ticks.size(), 10u);
  int fives = 0;
  Desktop::Ms due = 80;
  for (const Shake& k : ticks) {
    EXPECT_EQ(k.t, due) << k;
    EXPECT_TRUE(k.picture == "Picture1(5)" || k.picture == "Picture1(6)") << k;
    EXPECT_EQ(k.picture, "Picture1(" + std::to_string(k.shape) + ")") << k;
    EXPECT_GE(k.interval, 100) << k;
    EXPECT_LE(k.interval, 199) << k;
    fives += k.shape == 5;
    due = k.t + k.interval;
  }
  EXPECT_GT(fives, 0);
  EXPECT_LT(fives, static_cast<int>(ticks.size()));
}

}  // namespace
}  // namespace kelvory::testing
