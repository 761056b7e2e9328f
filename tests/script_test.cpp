#include "platform/sim/script.h"

#include <gtest/gtest.h>

#include "app/kelvory_sim/command.h"
#include "base/catch_store.h"
#include "session.h"

namespace kelvory::testing {
namespace {

std::string ErrorOf(std::string_view text) {
  try {
    parseScript(text, "play.txt", kReelButton);
  } catch (const ScriptError& e) {
    return e.what();
  }
  return "";
}

TEST(Script, NamesTheBadLine) {
  EXPECT_EQ(ErrorOf("# fine\nAT 0 press left\nAT x press left\n"),
            "play.txt:3: AT needs a time in ms");
  EXPECT_EQ(ErrorOf("ON nibble press left"), "play.txt:1: unknown event nibble");
  EXPECT_EQ(ErrorOf("AT 5 press middle"),
            "play.txt:1: press left or press right, not press middle");
  EXPECT_EQ(ErrorOf("AT 5 click frmList"), "play.txt:1: expected <window>.<control>, got frmList");
  EXPECT_EQ(ErrorOf("ON bite +x release"), "play.txt:1: bad delay +x");
  EXPECT_EQ(ErrorOf("ON color rgb=#FF0000 release  # let go while it pulls"), "");
}

// A scripted player: casts, strikes on every bite, holds while blue and
// lets go while red.
constexpr std::string_view kStrikeAndFollow =
    "AT 0 press left\n"
    "AT 0 release\n"
    "AT 300 press left\n"
    "AT 300 release\n"
    "ON bite +50 press left\n"
    "ON color win=frmCon ctrl=Picture1 rgb=#FF0000 release\n"
    "ON color win=frmCon ctrl=Picture1 rgb=#0000FF press left\n";

TEST(Script, StrikingAndFollowingTheColoursLandsAFish) {
  Session s;
  apply(s.desk, parseScript(std::string(kStrikeAndFollow) + "AT 100000 press right\n"
                                                            "ON menu +10 menu 終了\n",
                            "land.txt", kReelButton));
  s.start();
  EXPECT_FALSE(s.runUntil(200'000));
  const auto texts = s.printed("frmC");
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0]["text"], "HIT!!!");
  int landed = 0;
  for (int16_t c : s.scene.catches.CatchCount) landed += c;
  EXPECT_GE(landed, 1);
  EXPECT_EQ(DecodeCatchCounts(s.tyouka()), s.scene.catches.CatchCount);
  EXPECT_TRUE(s.events("error").empty());
}

// Lines nobody reads are never written out; the reactions to the ones that
// are read must still come at the same moments, so the game goes the same.
TEST(Script, AnUntracedRunPlaysTheSameGame) {
  // It casts again once each caught fish has gone.
  const Script player = parseScript(std::string(kStrikeAndFollow) +
                                        "ON unload win=frmFish +900 release\n"
                                        "ON unload win=frmFish +1000 press left\n"
                                        "ON unload win=frmFish +1000 release\n",
                                    "play.txt", kReelButton);
  Session traced;
  Session untraced(ScreenMetrics{}, 1, false);
  for (Session* s : {&traced, &untraced}) {
    apply(s->desk, player);
    s->start();
    s->runUntil(1'800'000);
  }
  EXPECT_TRUE(untraced.desk.trace().empty());
  EXPECT_EQ(untraced.scene.catches.CatchCount, traced.scene.catches.CatchCount);
  EXPECT_EQ(untraced.ini(), traced.ini());
  int landed = 0;
  for (int16_t c : traced.scene.catches.CatchCount) landed += c;
  EXPECT_GE(landed, 10);
  const auto* a = traced.desk.findWindow("frmUki");
  const auto* b = untraced.desk.findWindow("frmUki");
  ASSERT_EQ(a == nullptr, b == nullptr);
  if (a != nullptr) {
    EXPECT_EQ(a->geometry, b->geometry);
  }
}

TEST(Script, ActionsWithoutATargetAreReportedAndSkipped) {
  Session s;
  apply(s.desk,
        parseScript("AT 10 answer yes\nAT 20 menu 終了\nAT 30 click frmList.Command1\n", "x"));
  s.start();
  EXPECT_TRUE(s.runUntil(100));
  EXPECT_EQ(s.events("error").size(), 3u);
}

}  // namespace
}  // namespace kelvory::testing
