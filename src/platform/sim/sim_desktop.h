#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/desktop_core.h"
#include "platform/sim/clock.h"
#include "platform/sim/player.h"
#include "platform/sim/recorder.h"
#include "platform/sim/screen.h"
#include "platform/sim/trace.h"
#include "platform/types.h"

namespace kelvory {

// A desktop with no screen: windows are records, the clock is virtual and
// only moves when the game waits, and everything observable goes to a trace
// (see trace.h for its lines). Tests and scripts drive it with input actions
// scheduled in virtual time. Runs are deterministic: the same game, seed and
// actions give the same trace.
//
// It runs on the shared core as the real desktops do: the core keeps the
// handles, capture, modality and deletion, and its waits run here on the
// virtual clock and the game's own stack (clock.h). Beneath the core are
// the recording windows (recording_window.h) on the simulated screen
// (screen.h), timers on the clock, and the user with the mouse and the
// answers to dialogs (player.h, which also says what input reaches). The
// calls that reach no window (timers, menu items, settings, moments) are
// traced here, after the core has handled them; everything goes to one
// trace (recorder.h).
class SimDesktop final : public DesktopCore {
 public:
  struct Options {
    ScreenMetrics screen{};
    std::string folder;  // the program folder; empty: the current directory
    // Keeps every trace line for trace(); a run that only streams it or
    // reacts to it can do without the memory.
    bool keepTrace = true;
  };

  // Thrown by endProgram() so that whoever runs the desktop stops.
  using Ended = sim::Ended;
  using PrintedText = sim::PrintedText;
  using ShapeInfo = sim::ShapeInfo;
  using ControlState = sim::ControlState;
  using WindowState = sim::WindowState;
  using EventFilter = sim::EventFilter;

  SimDesktop();
  explicit SimDesktop(Options options);
  ~SimDesktop() override;
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  // Desktop, beyond the core.
  ScreenMetrics metrics() const override;
  Ms now() const override;
  LocalTime localTime() const override;
  double textWidth(const Font&, std::string_view text) const override;
  std::string programFolder() const override;
  [[noreturn]] void endProgram() override;
  // The core's, and traced.
  void setMenuItemVisible(MenuId, int item, bool) override;
  void setTimer(TimerId, bool enabled, int intervalMs) override;
  bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& path) override;
  void mark(Moment) override;
  // The core's, but nothing runs once the program has ended, and from
  // outside the game a wait is a run of it.
  void waitUntil(Ms deadline, const std::function<bool()>& done) override;

  // Running. run() waits until the deadline (or, for kNever, until nothing
  // is left to happen), stopping early when the program ends; it returns
  // false once the program has ended.
  // The game runs on a stack of its own, so a run that ends while handlers
  // wait leaves them waiting, and the next run carries on where it stopped.
  // Input and game calls from outside a run are queued for the next one.
  bool run(Ms deadline);
  bool ended() const { return clock_.ended(); }
  // Unwinds whatever game code still waits. Call it before the game's
  // objects go (the destructor calls it too late for them).
  void shutdown();

  // Scheduling. at() runs action at virtual time t (now, if t has passed),
  // after everything already due then; a time or delay too far off to reach
  // never comes (nothing overflows). onEvent() arms action once: when the
  // next trace line with that "ev" is written, action is queued delay ms
  // later (so it runs when the game next processes messages, never in the
  // middle of the call that wrote the line). A filter can also ask for a
  // window ("win") and for the n-th such line from now on.
  void at(Ms t, std::function<void()> action);
  void onEvent(std::string_view ev, std::function<void()> action, Ms delay = 0);
  void onEvent(EventFilter filter, std::function<void()> action, Ms delay = 0);
  // Every time a trace line for which match holds is written, action is
  // queued delay ms later.
  void onEveryEvent(std::function<bool(std::string_view line)> match, std::function<void()> action,
                    Ms delay = 0);
  // The same, for lines with that "ev" only: other lines need not be written
  // out for it.
  void onEveryEvent(std::string_view ev, std::function<bool(std::string_view line)> match,
                    std::function<void()> action, Ms delay = 0);

  // Input, delivered at once to the input sink. Windows are found by name
  // (the latest live one), controls by the name they were created with; "" or
  // "surface" is the window surface. Unknown names trace an "error"; what
  // input reaches is said in player.h.
  void press(std::string_view window, std::string_view control,
             MouseButton button = MouseButton::Left);
  void release(std::string_view window, std::string_view control,
               MouseButton button = MouseButton::Left);
  void click(std::string_view window, std::string_view control);
  void hover(std::string_view window, std::string_view control);
  void close(std::string_view window);
  void endSession();
  // From now on every setShape reports this result, as a desktop that runs
  // out of regions would.
  void failShapesWith(ShapeResult result) { screen_.failShapesWith(result); }
  // Changes the screen and tells the game.
  void changeScreen(const ScreenMetrics& screen);
  // Closes the open popup menu choosing the item of that name, or nothing
  // for "none"; closes the open message box with that answer.
  void chooseMenuItem(std::string_view itemName);
  void answer(MsgAnswer answer);
  bool menuOpen() const;
  bool messageBoxOpen() const;

  // Queries.
  const WindowState* findWindow(std::string_view name) const;
  const WindowState* window(WindowId id) const;
  std::vector<const WindowState*> windows() const;  // live ones, oldest first
  // Live windows from the front to the back.
  std::vector<const WindowState*> stacking() const;
  const std::vector<std::string>& trace() const { return trace_.lines(); }
  // Every later trace line is also written to out (with a newline).
  void streamTraceTo(std::ostream* out);
  void clearTrace() { trace_.clear(); }

 private:
  using Action = sim::Player::Action;
  // A timer of the clock, running for the core.
  struct Ticking {
    TimerId id = 0;
    int interval = 0;
    // Each start has a number of its own: ticks queued for an older start
    // are stale.
    std::uint64_t generation = 0;
  };

  // The core's hooks.
  std::unique_ptr<NativeWindow> makeWindow(WindowId, const WindowDesc&) override;
  std::optional<int> trackMenu(NativeWindow& owner,
                               const std::vector<MenuItemDesc>& items) override;
  void closeMenu() override;
  MsgAnswer showMessageBox(std::string_view text, MsgButtons, MsgIcon) override;
  void startTimer(TimerId, int intervalMs) override;
  void stopTimer(TimerId) override;
  void dispatchQueued(const std::function<bool()>& done) override;
  void waitForEvents(Ms deadline) override;
  // Its trace has every moment; there is no other log.
  void writeLog(std::string_view) override {}

  void input(Action action, std::string_view window, std::string_view control,
             MouseButton button = MouseButton::Left);
  void scheduleTick(const Ticking& ticking);
  void tick(std::uint64_t generation);
  sim::TraceLine traceLine(std::string_view ev) const { return trace_.line(ev); }
  void emit(const sim::TraceLine& line) { trace_.emit(line); }

  Options options_;
  sim::Clock clock_;
  sim::Recorder trace_;
  sim::Screen screen_;
  sim::Player player_;
  std::vector<Ticking> ticking_;  // the running ones, a handful at a time
  std::uint64_t generations_ = 0;
};

}  // namespace kelvory
