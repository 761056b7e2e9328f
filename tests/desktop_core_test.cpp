#include "platform/core/desktop_core.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/core/program.h"

namespace kelvory::testing {
namespace {

// A window that only remembers what the shared desktop asked of it.
struct FakeWindow final : NativeWindow {
  FakeWindow(int& alive, InputSink& reports) : alive(alive), reports(reports) { ++alive; }
  ~FakeWindow() override { --alive; }
  FakeWindow(const FakeWindow&) = delete;
  FakeWindow& operator=(const FakeWindow&) = delete;

  void setTwips(const Twips&) override {}
  void relayout(bool) override {}
  void setWanted(bool shown, bool isModal) override {
    visibility.wanted = shown;
    modal = isModal;
  }
  void setCovered(bool covered) override { visibility.covered = covered; }
  void allowInput(bool allowed) override { input = allowed; }
  void sendToBack() override {}
  void bringToFront() override {}
  void retire() override { retired = true; }
  ShapeResult setShape(const Shape&) override { return ShapeResult::WindowRefused; }
  void setBack(ControlId, Rgb) override {}
  void setPicture(ControlId, const Picture&) override {}
  void print(std::string_view, double, double, const Font&) override {}
  void clearPrinted() override {}
  ControlId addControl(const ControlDesc&) override { return ++controls; }
  void setControlBox(ControlId, const Twips&) override {}
  void setControlText(ControlId, std::string_view) override {}
  void setControlVisible(ControlId, bool) override {}
  void setControlToolTip(ControlId, std::string_view) override {}

  int& alive;
  InputSink& reports;
  Visibility visibility;
  bool modal = false;
  bool input = true;
  bool retired = false;
  ControlId controls = 0;
};

class FakeDesktop final : public DesktopCore {
 public:
  ~FakeDesktop() override { closeAll(); }

  ScreenMetrics metrics() const override { return {}; }
  Ms now() const override { return 0; }
  LocalTime localTime() const override { return {}; }
  double textWidth(const Font&, std::string_view) const override { return 0; }
  std::string programFolder() const override { return "."; }
  [[noreturn]] void endProgram() override { std::abort(); }

  FakeWindow& at(WindowId id) { return *made.at(id); }
  using DesktopCore::captureOf;
  using DesktopCore::coverFigures;
  using DesktopCore::noteScreenChange;
  using DesktopCore::onTimer;
  using DesktopCore::timerOf;

  int alive = 0;
  std::map<WindowId, FakeWindow*> made;
  std::set<TimerId> running;
  int starts = 0;
  std::vector<std::function<void()>> queued;  // the event loop's messages
  std::function<void()> whileMenuOpen;
  int menusClosed = 0;
  int screensRead = 0;
  std::vector<std::string> boxes;

 private:
  std::unique_ptr<NativeWindow> makeWindow(WindowId id, const WindowDesc&) override {
    auto w = std::make_unique<FakeWindow>(alive, reports());
    made[id] = w.get();
    return w;
  }
  std::optional<int> trackMenu(NativeWindow&, const std::vector<MenuItemDesc>&) override {
    if (whileMenuOpen) whileMenuOpen();
    return 0;
  }
  void closeMenu() override { ++menusClosed; }
  MsgAnswer showMessageBox(std::string_view text, MsgButtons, MsgIcon) override {
    boxes.emplace_back(text);
    return {};
  }
  void startTimer(TimerId id, int) override {
    running.insert(id);
    ++starts;
  }
  void stopTimer(TimerId id) override { running.erase(id); }
  void dispatchQueued(const std::function<bool()>& done) override {
    while (!queued.empty() && !done()) {
      const std::function<void()> next = std::move(queued.front());
      queued.erase(queued.begin());
      next();
    }
  }
  void waitForEvents(Ms) override {
    dispatchQueued([] { return false; });
  }
  void writeLog(std::string_view) override {}
  void readScreen() override { ++screensRead; }
};

// What reaches the game, one line an event.
struct Sink final : InputSink {
  std::vector<std::string> seen;
  std::function<void()> onDown;
  void mouseDown(WindowId w, ControlId c, MouseButton) override {
    seen.push_back("down " + std::to_string(w) + "." + std::to_string(c));
    if (onDown) onDown();
  }
  void mouseUp(WindowId w, ControlId c, MouseButton) override {
    seen.push_back("up " + std::to_string(w) + "." + std::to_string(c));
  }
  void mouseMove(WindowId, ControlId) override {}
  void clicked(WindowId, ControlId) override {}
  void closeRequested(WindowId w) override { seen.push_back("close " + std::to_string(w)); }
  void sessionEnding() override {}
  void screenChanged() override { seen.emplace_back("screen"); }
};

// A desktop whose input reaches a recording game.
struct DesktopCoreInput : ::testing::Test {
  DesktopCoreInput() { desk.setInputSink(&sink); }
  FakeDesktop desk;
  Sink sink;
};

TEST_F(DesktopCoreInput, ReleaseGoesToThePressedControlAndNothingToAGoneWindow) {
  const WindowId a = desk.createWindow({});
  const WindowId b = desk.createWindow({});
  InputSink& reports = desk.at(a).reports;
  reports.mouseDown(a, 3, MouseButton::Left);
  reports.mouseUp(b, 0, MouseButton::Left);
  // Input for a window the desktop no longer has is dropped, press or not.
  reports.mouseDown(b, 1, MouseButton::Right);
  desk.destroyWindow(b);
  reports.mouseUp(b, 0, MouseButton::Right);
  reports.mouseDown(b, 0, MouseButton::Left);
  reports.closeRequested(b);
  EXPECT_EQ(sink.seen, (std::vector<std::string>{"down 1.3", "up 1.3", "down 2.1"}));
}

TEST_F(DesktopCoreInput, AWindowDestroyedByItsOwnHandlerOutlivesTheHandler) {
  const WindowId a = desk.createWindow({});
  int aliveInHandler = -1;
  sink.onDown = [&] {
    desk.destroyWindow(a);
    aliveInHandler = desk.alive;
  };
  desk.at(a).reports.mouseDown(a, 0, MouseButton::Left);
  EXPECT_EQ(aliveInHandler, 1);
  // Deleted when the event loop next runs, no game code beneath it.
  desk.processPending();
  EXPECT_EQ(desk.alive, 0);
}

TEST(DesktopCore, OnlyTheInnermostModalWindowTakesInput) {
  FakeDesktop desk;
  const WindowId a = desk.createWindow({});
  const WindowId b = desk.createWindow({});
  const WindowId c = desk.createWindow({});
  desk.showModal(b);
  desk.showModal(c);
  EXPECT_FALSE(desk.at(a).input);
  EXPECT_FALSE(desk.at(b).input);
  EXPECT_TRUE(desk.at(c).input);
  EXPECT_TRUE(desk.at(c).modal);
  const WindowId late = desk.createWindow({});
  EXPECT_FALSE(desk.at(late).input);
  desk.destroyWindow(c);
  EXPECT_TRUE(desk.at(b).input);
  EXPECT_FALSE(desk.at(a).input);
  // Hidden, a modal window blocks nothing.
  desk.hide(b);
  EXPECT_TRUE(desk.at(a).input);
  EXPECT_FALSE(desk.at(b).modal);
}

TEST(DesktopCore, AWindowTakesItsTimersAndMenusWithIt) {
  FakeDesktop desk;
  const WindowId a = desk.createWindow({});
  int ticks = 0;
  const TimerId t = desk.createTimer(a, "t", [&] { ++ticks; });
  desk.setTimer(t, true, 10);
  desk.onTimer(t);
  EXPECT_EQ(ticks, 1);
  const MenuId m = desk.createMenu(a, {{.name = "m", .caption = "x"}});
  // The owner goes while its menu is open: the menu closes, nothing chosen.
  desk.whileMenuOpen = [&] { desk.destroyWindow(a); };
  EXPECT_EQ(desk.popupMenu(m), std::nullopt);
  EXPECT_EQ(desk.menusClosed, 1);
  EXPECT_TRUE(desk.running.empty());
  desk.setTimer(t, true, 10);
  desk.onTimer(t);
  EXPECT_TRUE(desk.running.empty());
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(desk.popupMenu(m), std::nullopt);
}

TEST(DesktopCore, FiguresStepAsideUnderAFullscreenWindowButDialogsStay) {
  FakeDesktop desk;
  const WindowId a = desk.createWindow({});
  desk.show(a);
  desk.coverFigures(true);
  const WindowId b = desk.createWindow({});
  EXPECT_TRUE(desk.at(a).visibility.covered);
  EXPECT_TRUE(desk.at(b).visibility.covered);
  EXPECT_FALSE(desk.at(a).visibility.onScreen(Frame::None, true));
  EXPECT_TRUE(desk.at(a).visibility.onScreen(Frame::Dialog, true));
  desk.coverFigures(false);
  EXPECT_TRUE(desk.at(a).visibility.onScreen(Frame::None, true));
  EXPECT_FALSE(desk.at(a).visibility.onScreen(Frame::Hidden, true));
  // The window's own answer on its outline reaches the game.
  EXPECT_EQ(desk.setShape(a, {}), ShapeResult::WindowRefused);
}

// --- capture --------------------------------------------------------------

TEST_F(DesktopCoreInput, EachButtonKeepsItsOwnPressUntilItsRelease) {
  const WindowId a = desk.createWindow({});
  const WindowId b = desk.createWindow({});
  InputSink& reports = desk.at(a).reports;
  reports.mouseDown(a, 1, MouseButton::Left);
  reports.mouseDown(b, 2, MouseButton::Right);
  ASSERT_TRUE(desk.captureOf(MouseButton::Left).has_value());
  EXPECT_EQ(desk.captureOf(MouseButton::Right)->window, b);
  // A modal window shown meanwhile does not take the release from the press.
  desk.showModal(b);
  reports.mouseUp(b, 0, MouseButton::Left);
  reports.mouseUp(a, 0, MouseButton::Right);
  EXPECT_FALSE(desk.captureOf(MouseButton::Left).has_value());
  EXPECT_FALSE(desk.captureOf(MouseButton::Right).has_value());
  // Without a press, a release goes where it happens.
  reports.mouseUp(b, 3, MouseButton::Left);
  EXPECT_EQ(sink.seen,
            (std::vector<std::string>{"down 1.1", "down 2.2", "up 1.1", "up 2.2", "up 2.3"}));
}

// --- modality ---------------------------------------------------------------

TEST(DesktopCore, ShownAgainModelessAWindowLetsTheOthersBack) {
  FakeDesktop desk;
  const WindowId a = desk.createWindow({});
  const WindowId b = desk.createWindow({});
  desk.showModal(b);
  desk.showModal(b);
  EXPECT_FALSE(desk.at(a).input);
  desk.show(b);
  EXPECT_TRUE(desk.at(a).input);
  EXPECT_TRUE(desk.at(b).input);
  EXPECT_FALSE(desk.at(b).modal);
  // Touching a window that is gone changes nothing.
  desk.destroyWindow(b);
  desk.showModal(b);
  desk.destroyWindow(b);
  EXPECT_TRUE(desk.at(a).input);
}

TEST(DesktopCore, NestedModalWindowsHandTheInputBackInnermostFirst) {
  FakeDesktop desk;
  const WindowId main = desk.createWindow({});
  const WindowId outer = desk.createWindow({});
  const WindowId inner = desk.createWindow({});
  desk.showModal(outer);
  desk.showModal(inner);
  // The outer one closes first: the inner one keeps the input.
  desk.hide(outer);
  EXPECT_TRUE(desk.at(inner).input);
  EXPECT_FALSE(desk.at(main).input);
  // Shown modal again, the outer one is the innermost now.
  desk.showModal(outer);
  EXPECT_TRUE(desk.at(outer).input);
  EXPECT_FALSE(desk.at(inner).input);
  desk.destroyWindow(outer);
  EXPECT_TRUE(desk.at(inner).input);
  desk.destroyWindow(inner);
  EXPECT_TRUE(desk.at(main).input);
}

// --- deletion under a running handler ---------------------------------------

TEST_F(DesktopCoreInput, AWindowGoneInAHandlerThatWaitsLivesUntilTheHandlerReturns) {
  const WindowId a = desk.createWindow({});
  const TimerId t = desk.createTimer(a, "t", [&] {
    desk.destroyWindow(a);
    EXPECT_TRUE(desk.at(a).retired);
    // The handler's own waits run the event loop: the window must survive it.
    bool done = false;
    desk.queued.push_back([&] { done = true; });
    desk.waitUntil(Desktop::kNever, [&] { return done; });
    desk.processPending();
    EXPECT_EQ(desk.alive, 1);
  });
  desk.setTimer(t, true, 10);
  desk.onTimer(t);
  EXPECT_EQ(desk.alive, 1);
  desk.waitUntil(0, [] { return false; });
  EXPECT_EQ(desk.alive, 0);
  // The timer went with its window.
  EXPECT_TRUE(desk.running.empty());
  desk.onTimer(t);
}

TEST(DesktopCore, AMenuOwnerGoneWhileItsMenuRunsTheLoopLivesUntilTheMenuCloses) {
  FakeDesktop desk;
  const WindowId a = desk.createWindow({});
  desk.queued.push_back([&] { desk.destroyWindow(a); });
  desk.whileMenuOpen = [&] {
    desk.processPending();
    EXPECT_EQ(desk.alive, 1);
  };
  const MenuId m = desk.createMenu(a, {{.name = "m", .caption = "x"}});
  EXPECT_EQ(desk.popupMenu(m), std::nullopt);
  EXPECT_EQ(desk.alive, 0);
}

// --- timers -------------------------------------------------------------------

TEST(DesktopCore, SwitchingOnARunningTimerKeepsItsCount) {
  FakeDesktop desk;
  const WindowId a = desk.createWindow({});
  const TimerId t = desk.createTimer(a, "t", [] {});
  desk.setTimer(t, true, 10);
  desk.setTimer(t, true, 10);
  EXPECT_EQ(desk.starts, 1);
  // A new interval, or on again after off, restarts it.
  desk.setTimer(t, true, 20);
  desk.setTimer(t, false, 20);
  EXPECT_TRUE(desk.running.empty());
  desk.setTimer(t, true, 20);
  EXPECT_EQ(desk.starts, 3);
  EXPECT_EQ(desk.timerOf(t)->name, "t");
  // No interval: on, but never ticking.
  desk.setTimer(t, true, 0);
  EXPECT_TRUE(desk.running.empty());
  EXPECT_EQ(desk.starts, 3);
}

// --- visibility ---------------------------------------------------------------

TEST(DesktopCore, AWindowIsOnScreenOnlyWhenWantedWithAreaAndNotSteppedAside) {
  FakeDesktop desk;
  const WindowId a = desk.createWindow({});
  const Visibility& v = desk.at(a).visibility;
  EXPECT_FALSE(v.onScreen(Frame::None, true));
  desk.show(a);
  EXPECT_TRUE(v.onScreen(Frame::None, true));
  EXPECT_FALSE(v.onScreen(Frame::None, false));
  EXPECT_FALSE(v.onScreen(Frame::Hidden, true));
  desk.hide(a);
  EXPECT_FALSE(v.wanted);
  desk.showModal(a);
  EXPECT_TRUE(v.wanted);
  EXPECT_TRUE(desk.at(a).modal);
  // Covered and uncovered again, each window hears of it once.
  desk.coverFigures(true);
  desk.coverFigures(true);
  EXPECT_FALSE(v.onScreen(Frame::None, true));
  EXPECT_TRUE(v.onScreen(Frame::Dialog, true));
  desk.coverFigures(false);
  EXPECT_TRUE(v.onScreen(Frame::None, true));
}

TEST_F(DesktopCoreInput, ManyScreenSignalsReachTheGameOnceFromTheEventLoop) {
  desk.noteScreenChange();
  desk.noteScreenChange();
  // Nothing yet: the change is laid out when the core's timer ticks.
  EXPECT_TRUE(sink.seen.empty());
  ASSERT_EQ(desk.running.size(), 1u);
  const TimerId settle = *desk.running.begin();
  desk.onTimer(settle);
  EXPECT_EQ(sink.seen, std::vector<std::string>{"screen"});
  EXPECT_EQ(desk.screensRead, 1);
  EXPECT_TRUE(desk.running.empty());
  // A later change is heard again.
  desk.noteScreenChange();
  desk.onTimer(settle);
  EXPECT_EQ(sink.seen.size(), 2u);
}

// The lock's folder, and how often the game ran.
std::filesystem::path LockFolder() {
  return std::filesystem::temp_directory_path() / "kelvory-run-game-test";
}
std::string LockedFile(std::string_view) { return (LockFolder() / "KVY.ini").string(); }
int gameRuns = 0;
FakeDesktop* secondDesk = nullptr;
int StartSecond(Desktop&);
constexpr Game kLockedGame{
    .settingsFile = LockedFile, .alreadyRunning = "already", .run = StartSecond};
int StartSecond(Desktop&) {
  ++gameRuns;
  return RunGame(*secondDesk, kLockedGame) + 7;
}

TEST(RunGame, ASecondCopyOnTheSameFileSaysSoAndEnds) {
  std::filesystem::create_directories(LockFolder());
  FakeDesktop first;
  FakeDesktop second;
  secondDesk = &second;
  // The game, running, starts a second copy on the same file.
  EXPECT_EQ(RunGame(first, kLockedGame), 7);
  EXPECT_EQ(gameRuns, 1);
  EXPECT_TRUE(first.boxes.empty());
  EXPECT_EQ(second.boxes, std::vector<std::string>{"already"});
  std::filesystem::remove_all(LockFolder());
}

}  // namespace
}  // namespace kelvory::testing
