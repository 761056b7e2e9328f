#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/wait.h"
#include "platform/form.h"
#include "session.h"

namespace kelvory::testing {
namespace {

WindowDesc Plain() {
  WindowDesc desc;
  desc.name = "frmTest";
  return desc;
}

struct Log {
  SimDesktop& desk;
  std::vector<std::string> lines;
  void operator()(const std::string& what) {
    lines.push_back(what + "@" + std::to_string(desk.now()));
  }
};

TEST(Waits, NestAndReturnInnermostFirst) {
  SimDesktop desk;
  Log log{desk, {}};
  {
    Form form(desk, Plain());
    Timer* slowPtr = nullptr;
    Timer* quickPtr = nullptr;
    Timer slow(form, "slow", 100, true, [&] {
      slowPtr->setEnabled(false);
      log("slow in");
      desk.waitUntil(desk.now() + 500, [] { return false; });
      log("slow out");
    });
    Timer quick(form, "quick", 150, true, [&] {
      quickPtr->setEnabled(false);
      log("quick in");
      // Longer than the wait it interrupts: that one returns only after.
      desk.waitUntil(desk.now() + 800, [] { return false; });
      log("quick out");
    });
    slowPtr = &slow;
    quickPtr = &quick;
    desk.run(2000);
    desk.shutdown();
  }
  EXPECT_EQ(log.lines, (std::vector<std::string>{"slow in@100", "quick in@150", "quick out@950",
                                                 "slow out@950"}));
}

TEST(Waits, InputDuringAWaitIsHandledBeforeItReturns) {
  SimDesktop desk;
  bool seen = false;
  bool seenBeforeReturn = false;
  desk.at(100, [&] {
    desk.at(desk.now() + 200, [&] { seen = true; });
    desk.waitUntil(desk.now() + 300, [] { return false; });
    seenBeforeReturn = seen;
  });
  desk.run(1000);
  desk.shutdown();
  EXPECT_TRUE(seenBeforeReturn);
}

TEST(Waits, ATimerNeverReentersItsOwnHandler) {
  SimDesktop desk;
  int depth = 0, deepest = 0;
  std::vector<Desktop::Ms> entries;
  {
    Form form(desk, Plain());
    Timer timer(form, "busy", 10, true, [&] {
      ++depth;
      deepest = std::max(deepest, depth);
      entries.push_back(desk.now());
      desk.waitUntil(desk.now() + 35, [] { return false; });
      --depth;
    });
    desk.run(100);
    desk.shutdown();
  }
  EXPECT_EQ(deepest, 1);
  // Ticks at 20, 30 and 40 came while the handler ran and were dropped.
  EXPECT_EQ(entries, (std::vector<Desktop::Ms>{10, 50, 90}));
}

TEST(Waits, ZeroOrLessReturnsAtOnceWithoutHandlingAnything) {
  Session s;
  s.start();
  std::vector<std::string> order;
  s.desk.at(100, [&] {
    WaitMs(s.scene, 0);
    WaitMs(s.scene, -5);
    order.push_back("after no wait");
    WaitMs(s.scene, 1);
    order.push_back("after 1 ms");
  });
  s.desk.at(100, [&] { order.push_back("other"); });
  s.runUntil(200);
  EXPECT_EQ(order, (std::vector<std::string>{"after no wait", "other", "after 1 ms"}));
}

TEST(Waits, AWindowUnloadedWhileItsCodeWaitsIsSafe) {
  // An empty reel-in lands the float while the float's own tick is
  // suspended in a wait below it: no dangling window, no second float.
  for (std::uint32_t seed = 1; seed <= 20; ++seed) {
    Session s({}, seed);
    s.start();
    s.castAt(0, 0);
    for (Desktop::Ms t = 1000; t < 20'000; t += 997) {
      s.pressAt(t);
      s.releaseAt(t + 450);
    }
    s.runUntil(30'000);
    int floats = 0;
    for (const auto* w : s.desk.windows()) floats += w->created.name == "frmUki";
    EXPECT_LE(floats, 1);
  }
}

}  // namespace
}  // namespace kelvory::testing
