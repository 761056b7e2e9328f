#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <random>

#include "base/catch_store.h"
#include "platform/sim/trace.h"
#include "session.h"

namespace kelvory::testing {
namespace {

constexpr std::string_view kClearQuestion = "釣果をクリアしていいですか？";

// A monkey at the controls: random presses, releases, menu choices, dialog
// answers and closes at random moments, with the program's promises checked
// after every one of them.
class Monkey {
 public:
  explicit Monkey(std::uint32_t seed) : random_(seed) { begin(); }

  void play(long inputs) {
    for (long n = 0; n < inputs; ++n) {
      if (n % 400 == 399) {
        quiet();
      } else {
        act();
      }
      ++inputs_;
      check();
      if (::testing::Test::HasFatalFailure()) return;
    }
  }

  long inputs() const { return inputs_; }
  long checks() const { return checks_; }
  long catches() const { return catches_; }

 private:
  int roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  // A fresh program in the same folder, reading what the last one saved.
  void begin() {
    const std::string saved = session_ ? session_->ini() : std::string();
    session_.reset();
    session_ = std::make_unique<Session>(ScreenMetrics{}, static_cast<std::uint32_t>(random_()));
    if (!saved.empty()) session_->writeIni(saved);
    landed_ = DecodeCatchCounts(session_->tyouka());
    landed_[13] = 0;
    Session& s = *session_;
    s.desk.onEveryEvent(
        [this](std::string_view line) {
          // Whatever is written is what the program counts at that moment.
          if (sim::fieldOf(line, "ev") == "write" && sim::fieldOf(line, "key") == "Tyouka") {
            EXPECT_EQ(DecodeCatchCounts(sim::fieldOf(line, "value")),
                      session_->scene.catches.CatchCount);
            ++checks_;
          }
          return false;
        },
        [] {});
    // Now and then the monkey plays well: it strikes and follows the colours.
    const auto on = [&s](std::string ev, std::string rgb) {
      return [ev, rgb](std::string_view line) {
        return sim::fieldOf(line, "ev") == ev &&
               (rgb.empty() ||
                (sim::fieldOf(line, "win") == "frmCon" &&
                 sim::fieldOf(line, "ctrl") == "Picture1" && sim::fieldOf(line, "rgb") == rgb));
      };
    };
    SimDesktop& d = s.desk;
    d.onEveryEvent(
        on("bite", ""),
        [this, &d] {
          if (playing_ && roll(3) != 0) d.press("frmCon", "Picture1");
        },
        40);
    d.onEveryEvent(
        on("color", "#FF0000"),
        [this, &d] {
          if (playing_) d.release("frmCon", "Picture1");
        },
        30);
    d.onEveryEvent(
        on("color", "#0000FF"),
        [this, &d] {
          const auto* marker = d.findWindow("frmV");
          if (playing_ && marker && marker->visible) d.press("frmCon", "Picture1");
        },
        30);
    s.start();
    seen_ = 0;
  }

  void at(Desktop::Ms t, std::function<void()> action) {
    Session& s = *session_;
    s.desk.at(t, std::move(action));
    if (!s.runUntil(t)) {
      EXPECT_EQ(DecodeCatchCounts(s.tyouka()), s.scene.catches.CatchCount);
      begin();
    }
  }

  void act() {
    Session& s = *session_;
    SimDesktop& d = s.desk;
    const Desktop::Ms t = d.now() + 1 + roll(roll(4) == 0 ? 3000 : 400);
    if (d.messageBoxOpen()) {
      const MsgAnswer answers[] = {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Ok};
      const MsgAnswer a = answers[roll(3)];
      at(t, [&d, a] {
        if (d.messageBoxOpen()) d.answer(a);
      });
      return;
    }
    if (d.menuOpen()) {
      const char* items[] = {"mFishList", "mver", "mComplete", "none", "none", "mend"};
      const char* item = items[roll(roll(40) == 0 ? 6 : 5)];
      at(t, [&d, item] {
        if (d.menuOpen()) d.chooseMenuItem(item);
      });
      return;
    }
    if (s.loaded("frmList") && roll(3) != 0) {
      const int r = roll(5);
      at(t, [&d, r, picture = "Picture1(" + std::to_string(roll(13)) + ")"] {
        if (r == 0) d.click("frmList", "Command1");
        if (r == 1) d.click("frmList", "Command2");
        if (r == 2) d.close("frmList");
        if (r >= 3) d.hover("frmList", picture);
      });
      return;
    }
    if (s.loaded("frm_Version") && roll(2) == 0) {
      at(t, [&d, r = roll(2)] {
        r == 0 ? d.click("frm_Version", "Command1") : d.close("frm_Version");
      });
      return;
    }
    if (s.loaded("FrmComplete") && roll(4) == 0) {
      at(t, [&d] { d.close("FrmComplete"); });
      return;
    }
    const int r = roll(20);
    at(t, [this, &d, r] {
      // Mid-fight the monkey mostly leaves the button to its good hand.
      const auto* marker = d.findWindow("frmV");
      if (playing_ && marker && marker->visible && roll(500) != 0) {
        d.hover("frmCon", "Label1");
        return;
      }
      if (r < 9) d.press("frmCon", "Picture1");
      if (r >= 9 && r < 18) d.release("frmCon", "Picture1");
      if (r == 18) d.press("frmCon", "Picture1", MouseButton::Right);
      if (r == 19) d.press("frmMan", "surface");
    });
  }

  // Lets go of everything, then leaves the program alone for 15 s.
  void quiet() {
    Session& s = *session_;
    SimDesktop& d = s.desk;
    playing_ = false;
    at(d.now() + 1, [&d] {
      d.release("frmCon", "Picture1");
      d.release("frmCon", "Picture1", MouseButton::Right);
      if (d.menuOpen()) d.chooseMenuItem("none");
      if (d.messageBoxOpen()) d.answer(MsgAnswer::No);
    });
    at(d.now() + 1, [&d] {
      if (d.messageBoxOpen()) d.answer(MsgAnswer::Ok);
      d.close("frmList");
      d.close("frm_Version");
    });
    at(d.now() + 15'000, [] {});
    const FishingState& st = s.scene.st;
    EXPECT_FALSE(st.SequenceBusy) << "stuck at " << d.now();
    if (st.LineOut) {
      ASSERT_TRUE(s.loaded("frmUki"));
      const auto& uki = s.window("frmUki");
      EXPECT_TRUE(uki.visible);
      // Bobbing: its timer went on again within the last second.
      bool ticking = false;
      for (const std::string& line : d.trace()) {
        ticking = ticking ||
                  (sim::fieldOf(line, "ev") == "timer" && sim::fieldOf(line, "win") == "frmUki" &&
                   sim::fieldOf(line, "enabled") == "true" &&
                   std::stoll(sim::fieldOf(line, "t")) >= d.now() - 1000);
      }
      EXPECT_TRUE(ticking) << "the float does not bob at " << d.now();
      EXPECT_GE(uki.geometry.left, s.anglerRightEdge())
          << "the float is on the angler at " << d.now();
    } else {
      EXPECT_FALSE(s.loaded("frmUki") && s.window("frmUki").visible && !st.MeterOn);
      for (const char* w : {"frmFish", "frmL", "frmC", "frmR"}) EXPECT_FALSE(s.loaded(w)) << w;
    }
    EXPECT_FALSE(s.loaded("frmV") && s.window("frmV").visible && !st.Reeling);
    playing_ = true;
    ++checks_;
  }

  void check() {
    Session& s = *session_;
    // The catches the trace shows, against the counters.
    const auto& trace = s.desk.trace();
    for (; seen_ < trace.size(); ++seen_) {
      const std::string& line = trace[seen_];
      const std::string ev = sim::fieldOf(line, "ev");
      if (ev == "picture" && sim::fieldOf(line, "win") == "frmFish") {
        const std::string src = sim::fieldOf(line, "src");
        const int k = std::atoi(src.c_str() + src.find('(') + 1);
        if (k != 99) {
          auto& n = landed_[static_cast<std::size_t>(k)];
          n = static_cast<std::int16_t>(std::min(n + 1, 0xFFF));
          ++catches_;
        }
      } else if (ev == "msgbox") {
        question_ = sim::fieldOf(line, "text");
      } else if (ev == "msgbox-closed" && question_ == kClearQuestion &&
                 sim::fieldOf(line, "answer") == "yes") {
        landed_.fill(0);
      }
    }
    s.desk.clearTrace();
    seen_ = 0;
    EXPECT_EQ(s.scene.catches.CatchCount, landed_) << "at " << s.desk.now();
    // Never two of one window.
    std::map<std::string, int> names;
    for (const auto* w : s.desk.windows()) {
      EXPECT_EQ(++names[w->created.name], 1) << w->created.name << " twice at " << s.desk.now();
    }
    ++checks_;
  }

  std::mt19937 random_;
  std::unique_ptr<Session> session_;
  CatchCounts landed_{};
  std::string question_;
  std::size_t seen_ = 0;
  long inputs_ = 0;
  long checks_ = 0;
  long catches_ = 0;
  bool playing_ = true;
};

TEST(Soak, RandomInputNeverBreaksThePromises) {
  const char* wanted = std::getenv("KELVORY_SOAK_INPUTS");
  const long inputs = wanted ? std::atol(wanted) : 100'000;
  long run = 0, checks = 0, catches = 0;
  for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
    Monkey monkey(seed);
    monkey.play(inputs / 4);
    run += monkey.inputs();
    checks += monkey.checks();
    catches += monkey.catches();
    if (HasFatalFailure()) break;
  }
  std::cout << "soak: " << run << " inputs, " << checks << " checks, " << catches
            << " fish landed\n";
  EXPECT_GE(run, inputs);
  EXPECT_GT(catches, 0);
}

}  // namespace
}  // namespace kelvory::testing
