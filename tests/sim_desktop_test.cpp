// The simulated desktop on the shared core: the same modality, capture and
// deletion rules as the real desktops, seen in its trace.

#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/sim/trace.h"

namespace kelvory::testing {
namespace {

// What reaches the game, by window name.
struct NamedSink final : InputSink {
  explicit NamedSink(SimDesktop& desk) : desk(desk) { desk.setInputSink(this); }
  ~NamedSink() override { desk.setInputSink(nullptr); }
  NamedSink(const NamedSink&) = delete;
  NamedSink& operator=(const NamedSink&) = delete;

  void note(const char* what, WindowId id) {
    const auto* w = desk.window(id);
    seen.push_back(std::string(what) + " " + (w ? w->created.name : "gone"));
    if (onInput) onInput();
  }
  void mouseDown(WindowId w, ControlId, MouseButton) override { note("down", w); }
  void mouseUp(WindowId w, ControlId, MouseButton) override { note("up", w); }
  void mouseMove(WindowId, ControlId) override {}
  void clicked(WindowId w, ControlId) override { note("click", w); }
  void closeRequested(WindowId) override {}
  void sessionEnding() override {}
  void screenChanged() override {}

  SimDesktop& desk;
  std::vector<std::string> seen;
  std::function<void()> onInput;
};

WindowDesc Named(std::string name) {
  WindowDesc desc;
  desc.name = std::move(name);
  return desc;
}

std::vector<std::string> Lines(const SimDesktop& desk, std::string_view ev) {
  std::vector<std::string> out;
  for (const std::string& line : desk.trace()) {
    if (sim::fieldOf(line, "ev") == ev) out.push_back(sim::fieldOf(line, "win"));
  }
  return out;
}

TEST(SimDesktop, OnlyTheInnermostModalWindowTakesInput) {
  SimDesktop desk;
  NamedSink sink(desk);
  Form main(desk, Named("main"));
  Form outer(desk, Named("outer"));
  Form inner(desk, Named("inner"));
  main.show();
  outer.showModal();
  inner.showModal();
  desk.press("outer", "");
  desk.press("inner", "");
  desk.release("main", "");
  desk.at(100, [&] { inner.close(); });
  desk.at(150, [&] {
    desk.click("outer", "");
    desk.click("main", "");
  });
  desk.run(200);
  desk.shutdown();
  EXPECT_EQ(sink.seen, (std::vector<std::string>{"down inner", "up inner", "click outer"}));
  EXPECT_EQ(Lines(desk, "refused"), (std::vector<std::string>{"outer", "main"}));
}

TEST(SimDesktop, AWindowClosedByItsOwnInputLeavesTheScreenAtOnce) {
  SimDesktop desk;
  NamedSink sink(desk);
  Form form(desk, Named("form"));
  form.show();
  sink.onInput = [&] {
    form.close();
    EXPECT_EQ(desk.findWindow("form"), nullptr);
  };
  desk.press("form", "");
  desk.release("form", "");
  desk.run(100);
  desk.shutdown();
  // The release has no window left to go to: the user meets an error.
  EXPECT_EQ(sink.seen, std::vector<std::string>{"down form"});
  EXPECT_EQ(Lines(desk, "unload"), std::vector<std::string>{"form"});
  EXPECT_EQ(Lines(desk, "error").size(), 1u);
}

TEST(SimDesktop, ReactionsHearTheirLinesWhenNoOtherLineIsWritten) {
  // Nothing kept or streamed: only the lines someone waits for are written,
  // though others start with the same letters ("shape" and "show").
  SimDesktop desk(SimDesktop::Options{.keepTrace = false});
  std::vector<std::string> heard;
  desk.onEveryEvent(
      "show",
      [&](std::string_view line) {
        heard.push_back(sim::fieldOf(line, "win"));
        return false;
      },
      [] {});
  desk.onEvent(SimDesktop::EventFilter{"move", "b", 2}, [&] { heard.emplace_back("b moved"); });
  Form a(desk, Named("a"));
  Form b(desk, Named("b"));
  a.show();
  a.setLeft(10);
  b.setLeft(20);
  b.show();
  b.hide();
  b.setLeft(30);
  b.show();
  desk.run(10);
  desk.shutdown();
  EXPECT_EQ(heard, (std::vector<std::string>{"a", "b", "b", "b moved"}));
}

TEST(Trace, FieldsAreFoundByTheirWholeKeyAndUnescaped) {
  const std::string line =
      R"({"t":5,"ev":"text","xwin":"no","win":"a\"b\\c\u0001","items":["x","y"],"n":12})";
  EXPECT_EQ(sim::fieldOf(line, "win"), "a\"b\\c\x01");
  EXPECT_EQ(sim::fieldOf(line, "items"), R"(["x","y"])");
  EXPECT_EQ(sim::fieldOf(line, "n"), "12");
  EXPECT_EQ(sim::fieldOf(line, "in"), "");
}

}  // namespace
}  // namespace kelvory::testing
