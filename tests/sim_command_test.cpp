// kelvory-sim as its user meets it: every input runs, or is refused with a
// message naming it, and what it prints stays JSON.

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/kelvory_sim/command.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/trace.h"
#include "session.h"

namespace kelvory::testing {
namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

class SimCommand : public ::testing::Test {
 protected:
  SimCommand()
      : dir_(std::filesystem::temp_directory_path() /
             ("kelvory-sim-command-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
  }
  ~SimCommand() override { std::filesystem::remove_all(dir_); }

  std::string script(std::string_view name, std::string_view text) const {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  Outcome run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--dir", dir_.string()});
    const std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    Outcome o;
    o.status = RunSimCommand(views, out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
  }

  std::filesystem::path dir_;
};

TEST_F(SimCommand, RefusesWhatCannotRunWithAMessageNamingIt) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--until", "1000000000000000000"}, "bad --until 1000000000000000000"},
      {{"--work-area-bottom", "200000000"}, "bad --work-area-bottom 200000000"},
      {{"--screen", "800x600", "--work-area-bottom", "700"}, "700 lies off the screen"},
      {{"--screen", "100000x1080"}, "bad --screen 100000x1080"},
      {{"--twips-per-pixel", "100000"}, "bad --twips-per-pixel 100000"},
      {{dir_.string()}, dir_.string() + ": is a folder, not a script"},
      {{script("key.txt", "AT 0 press left\nON bite win=frmUki press left\n")},
       "key.txt:2: bite lines have no key win"},
      {{script("loop.txt", "AT 0 press left\nON input release\n")},
       "loop.txt:2: ON input fired 10000 times at 0 ms"},
  };
  for (const auto& c : cases) {
    const Outcome o = run(c.args);
    EXPECT_EQ(o.status, 2) << c.message;
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
  }
}

TEST_F(SimCommand, ADelayBeyondTheEndOfTimeNeverComes) {
  const Outcome o =
      run({"--until", "1000",
           script("late.txt", "AT 100 press right\nON menu +9223372036854775807 menu none\n")});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("\"ev\":\"menu\""), std::string::npos);
  EXPECT_EQ(o.out.find("menu-closed"), std::string::npos);
}

TEST_F(SimCommand, BytesThatAreNotUtf8AreEscaped) {
  const Outcome o = run(
      {"--until", "10", script("bytes.txt", "AT 0 click \xff\xc0\x80.x\nAT 0 click \xe2\x82.y\n")});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(
      o.out.find("{\"t\":0,\"ev\":\"error\",\"message\":\"no window \\u00ff\\u00c0\\u0080\"}\n"),
      std::string::npos);
  const std::string second = "{\"t\":0,\"ev\":\"error\",\"message\":\"no window \\u00e2\\u0082\"}";
  EXPECT_NE(o.out.find(second), std::string::npos);
  EXPECT_EQ(sim::fieldOf(second, "message"), "no window \xe2\x82");
  EXPECT_EQ(sim::jsonEscape("かに\x7f"), "かに\x7f");
}

TEST(ScriptLoading, TakesTimeInProportionToTheLines) {
  std::string text;
  for (int i = 0; i < 100'000; ++i) text += "ON bite +" + std::to_string(i) + " press left\n";
  const std::clock_t start = std::clock();
  SimDesktop desk;
  apply(desk, parseScript(text, "long.txt", kReelButton));
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  EXPECT_LT(seconds, 8.0);  // linear: well under a second; quadratic: 16 s and more
}

TEST(Input, ReachesOnlyWhatAUserCan) {
  Session s;
  s.start();
  ASSERT_FALSE(s.window("frmCon").control("Picture2")->visible);
  s.desk.press("frmCon", "Picture2");
  s.desk.release("frmCon", "Picture2");
  s.desk.click("frmMenu", "");
  s.runFor(10);
  const auto inputs = s.events("input", "frmCon");
  ASSERT_EQ(inputs.size(), 2u);
  for (const Event& e : inputs) EXPECT_EQ(e["ctrl"], "") << e.line;
  const auto errors = s.events("error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0]["message"], "window frmMenu is hidden");
}

}  // namespace
}  // namespace kelvory::testing
