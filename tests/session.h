#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/toy_scene.h"
#include "base/random.h"
#include "platform/sim/sim_desktop.h"

namespace kelvory::testing {

// One trace line, read back: "ev" and any field by name.
struct Event {
  std::string line;
  std::int64_t t = 0;
  std::string ev;
  // The field's value: strings unescaped, numbers and the rest as written;
  // "" when the line has no such field.
  std::string operator[](std::string_view key) const;
  double num(std::string_view key) const;
};

// The game's generator, which a test may pin: while fixed holds values,
// the draws cycle through them, so the ends of a range can be played on
// purpose.
class TestRandom final : public Random {
 public:
  explicit TestRandom(std::uint32_t seed) : lcg_(seed) {}
  float next() override { return fixed.empty() ? lcg_.next() : fixed[drawn_++ % fixed.size()]; }
  void reseed(std::int64_t clockMs) override { lcg_.reseed(clockMs); }
  void pin(std::vector<float> draws) {
    fixed = std::move(draws);
    drawn_ = 0;
  }
  std::vector<float> fixed;

 private:
  LcgRandom lcg_;
  std::size_t drawn_ = 0;
};

// A running program on a fresh simulated desktop, with its own program
// folder, so tests may run side by side.
class Session {
 public:
  explicit Session(ScreenMetrics screen = {}, std::uint32_t seed = 1, bool keepTrace = true);
  ~Session();

  // The settings file in the program folder.
  void writeIni(std::string_view text);
  std::string ini() const;
  std::string tyouka() const;

  void start();
  // Runs until virtual time t; false once the program has ended.
  bool runUntil(Desktop::Ms t);
  bool runFor(Desktop::Ms ms) { return runUntil(desk.now() + ms); }

  const SimDesktop::WindowState& window(std::string_view name) const;
  bool loaded(std::string_view name) const { return desk.findWindow(name) != nullptr; }
  Rgb buttonColour() const;
  // Whether that window's timer of that name runs, as the desktop last heard.
  bool timerOn(std::string_view win, std::string_view timer) const;
  double anglerRightEdge() const;

  // Trace lines with that "ev" (and, if given, that "win").
  std::vector<Event> events(std::string_view ev, std::string_view win = {}) const;
  // Every trace line about one window, and the moments ("bite" and the like).
  std::vector<Event> about(std::string_view win) const;
  // Texts printed on a window's surface, with their times.
  std::vector<Event> printed(std::string_view win) const;

  // The reel button, pressed and released at virtual time t.
  void pressAt(Desktop::Ms t, MouseButton button = MouseButton::Left);
  void releaseAt(Desktop::Ms t);
  // Starts the meter with a click at charge and casts with a click at stop.
  void castAt(Desktop::Ms charge, Desktop::Ms stop);
  // Presses right after every strike window opens, holds while the button is
  // blue and lets go while it is red: the way to win a fight.
  void playFights(Desktop::Ms reaction = 50);

  std::filesystem::path dir;
  SimDesktop desk;
  TestRandom rnd;
  ToyScene scene;

 private:
  void strikeEveryBite(Desktop::Ms reaction);
  void watchFight();
};

}  // namespace kelvory::testing
