#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "platform/sim/trace.h"
#include "platform/types.h"

namespace kelvory {

namespace sim {
class GameFiber;
}  // namespace sim

// A desktop with no screen: windows are records, the clock is virtual and
// only moves when the game waits, and everything observable goes to a trace
// (see trace.h for its lines). Tests and scripts drive it with input actions
// scheduled in virtual time. Runs are deterministic: the same game, seed and
// actions give the same trace.
//
// Input rules: while a modal window lives, input to any other window is
// refused; while a message box or a popup menu is open, all window input is
// refused (answer it with answer() or chooseMenuItem()). A refusal is traced
// as "refused" and changes nothing else. A release goes to the control that
// took the press of that button, if its window still lives.
class SimDesktop final : public Desktop {
 public:
  struct Options {
    ScreenMetrics screen{};
    std::string folder;  // the program folder; empty: the current directory
    // Keeps every trace line for trace(); a run that only streams it or
    // reacts to it can do without the memory.
    bool keepTrace = true;
  };

  // Thrown by endProgram() so that whoever runs the desktop stops.
  struct Ended {};

  struct PrintedText {
    std::string text;
    double x = 0, y = 0;
    Font font;
  };

  struct ShapeInfo {
    std::string table;
    int index = 0;
    std::size_t rectCount = 0;
  };

  struct ControlState {
    ControlId id = 0;
    ControlDesc created;  // what the game asked for
    Twips geometry;
    Segment line;
    std::string text;
    bool visible = true;
    std::string toolTip;
    Rgb back;
    std::string picture;  // the source of the last picture, "" for none
    const Bitmap* bitmap = nullptr;
  };

  struct WindowState {
    WindowId id = 0;
    WindowDesc created;  // what the game asked for; its caption follows setText
    Twips geometry;
    bool visible = false;
    bool modal = false;
    Rgb back;
    std::string picture;  // the surface's picture source
    const Bitmap* bitmap = nullptr;
    std::optional<ShapeInfo> shape;
    std::vector<PrintedText> texts;
    std::vector<ControlState> controls;

    // name "" or "surface" is the surface (nullptr then).
    const ControlState* control(std::string_view name) const;
    const ControlState* control(ControlId id) const;
  };

  struct TimerState {
    TimerId id = 0;
    WindowId owner = 0;
    std::string name;
    bool enabled = false;
    int interval = 0;
    std::optional<Ms> nextTick;  // when it ticks next, if it will
  };

  SimDesktop();
  explicit SimDesktop(Options options);
  ~SimDesktop() override;
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  // Desktop.
  void setInputSink(InputSink* sink) override;
  ScreenMetrics metrics() const override;
  Ms now() const override;
  LocalTime localTime() const override;
  WindowId createWindow(const WindowDesc&) override;
  void destroyWindow(WindowId) override;
  void setGeometry(WindowId, const Twips&) override;
  void show(WindowId) override;
  void showModal(WindowId) override;
  void hide(WindowId) override;
  void sendToBack(WindowId) override;
  void bringToFront(WindowId) override;
  void setBackColor(WindowId, ControlId, Rgb) override;
  void setPicture(WindowId, ControlId, const Picture&) override;
  ShapeResult setShape(WindowId, const Shape&) override;
  void clearText(WindowId) override;
  void printText(WindowId, std::string_view text, double x, double y, const Font&) override;
  double textWidth(const Font&, std::string_view text) const override;
  ControlId addControl(WindowId, const ControlDesc&) override;
  void setControlGeometry(WindowId, ControlId, const Twips&) override;
  void setText(WindowId, ControlId, std::string_view) override;
  void setVisible(WindowId, ControlId, bool) override;
  void setToolTip(WindowId, ControlId, std::string_view) override;
  MenuId createMenu(WindowId owner, const std::vector<MenuItemDesc>&) override;
  void setMenuItemVisible(MenuId, int item, bool) override;
  std::optional<int> popupMenu(MenuId) override;
  MsgAnswer messageBox(std::string_view text, MsgButtons, MsgIcon) override;
  TimerId createTimer(WindowId owner, std::string_view name, std::function<void()> tick) override;
  void setTimer(TimerId, bool enabled, int intervalMs) override;
  void destroyTimer(TimerId) override;
  void processPending() override;
  void waitUntil(Ms deadline, const std::function<bool()>& done) override;
  std::string programFolder() const override;
  std::optional<std::string> readProfileString(std::string_view section, std::string_view key,
                                               const std::string& path) override;
  bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& path) override;
  void mark(Moment) override;
  [[noreturn]] void endProgram() override;

  // Running. run() waits until the deadline (or, for kNever, until nothing
  // is left to happen), stopping early when the program ends; it returns
  // false once the program has ended.
  // The game runs on a stack of its own, so a run that ends while handlers
  // wait leaves them waiting, and the next run carries on where it stopped.
  // Input and game calls from outside a run are queued for the next one.
  bool run(Ms deadline);
  bool ended() const { return ended_; }
  // Unwinds whatever game code still waits. Call it before the game's
  // objects go (the destructor calls it too late for them).
  void shutdown();

  // Scheduling. at() runs action at virtual time t (now, if t has passed),
  // after everything already due then. onEvent() arms action once: when the
  // next trace line with that "ev" is written, action is queued delay ms
  // later (so it runs when the game next processes messages, never in the
  // middle of the call that wrote the line). A filter can also ask for a
  // window ("win") and for the n-th such line from now on.
  struct EventFilter {
    std::string ev;
    std::string window;  // "": any
    int occurrence = 1;
  };
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
  // "surface" is the window surface. Unknown names trace an "error".
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
  void failShapesWith(ShapeResult result) { shapeResult_ = result; }
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
  const TimerState* findTimer(std::string_view name) const;
  const TimerState* timer(TimerId id) const;
  const std::vector<std::string>& trace() const { return trace_; }
  // Every later trace line is also written to out (with a newline).
  void streamTraceTo(std::ostream* out);
  void clearTrace() { trace_.clear(); }

 private:
  struct Timer {
    TimerState state;
    // Shared, so a tick runs on even when its handler destroys the timer.
    std::shared_ptr<const std::function<void()>> tick;
    std::uint64_t generation = 0;
  };
  struct Menu {
    WindowId owner = 0;
    std::vector<MenuItemDesc> items;
  };
  enum class EventKind { Tick, Action };
  struct Event {
    EventKind kind = EventKind::Action;
    TimerId timer = 0;
    std::uint64_t generation = 0;
    std::function<void()> action;
  };
  struct Hook {
    EventFilter filter;
    int remaining = 1;
    Ms delay = 0;
    std::function<void()> action;
  };
  enum class DialogKind { Menu, MessageBox };
  struct Dialog {
    DialogKind kind = DialogKind::Menu;
    std::vector<MenuItemDesc> items;  // menus: a copy, the owner may go meanwhile
    MsgButtons buttons = MsgButtons::Ok;
    bool closed = false;
    std::optional<int> chosen;
    MsgAnswer answer = MsgAnswer::Ok;
  };

  void gameLoop();
  // Queues action when called from outside the game's own stack.
  bool outsideGame(std::function<void()> action);
  WindowState* liveWindow(WindowId id);
  ControlState* liveControl(WindowId id, ControlId control);
  const std::string& controlName(const WindowState& w, ControlId control) const;
  // A line at the present time, muted when nobody would read it.
  sim::TraceLine traceLine(std::string_view ev) const {
    return sim::TraceLine(now_, ev, !readsEvery_ && !readsSome(ev));
  }
  bool readsSome(std::string_view ev) const;
  // Notes which lines anyone reads, after the readers changed.
  void noteReaders();
  void emit(const sim::TraceLine& line) {
    if (!line.muted()) record(line);
  }
  void record(const sim::TraceLine& line);
  void error(std::string_view message);
  void schedule(Ms t, Event event);
  void dispatch(Event& event);
  bool dispatchNext(Ms deadline);
  void scheduleTick(Timer& timer, Ms from);
  // Whether input to window may be delivered now; traces a refusal if not.
  bool accepts(const WindowState& w, std::string_view action, std::string_view control);
  struct Target {
    const WindowState* window = nullptr;
    ControlId control = kSurface;
  };
  std::optional<Target> target(std::string_view window, std::string_view control);
  Dialog* openDialog(DialogKind kind);
  void waitForDialog(std::size_t index);

  Options options_;
  InputSink* sink_ = nullptr;
  Ms now_ = 0;
  bool ended_ = false;
  std::uint64_t sequence_ = 0;
  struct Queued {
    Ms t = 0;
    std::uint64_t sequence = 0;  // equal times run in the order queued
    Event event;
  };
  std::vector<Queued> queue_;  // a heap, the soonest on top
  ShapeResult shapeResult_ = ShapeResult::Ok;
  Ms limit_ = 0;  // the present run's deadline
  std::unique_ptr<sim::GameFiber> fiber_;
  WindowId nextWindow_ = 1;
  TimerId nextTimer_ = 1;
  MenuId nextMenu_ = 1;
  std::map<WindowId, WindowState> windows_;
  std::vector<WindowId> zOrder_;  // back to front
  std::map<TimerId, Timer> timers_;
  std::map<MenuId, Menu> menus_;
  std::vector<Dialog> dialogs_;  // open ones, innermost last
  struct Capture {
    WindowId window = 0;
    ControlId control = kSurface;
  };
  std::map<MouseButton, Capture> captures_;
  std::vector<Hook> hooks_;
  struct Watch {
    std::string ev;  // "": every line
    std::function<bool(std::string_view)> match;
    std::function<void()> action;
    Ms delay = 0;
  };
  std::vector<Watch> watches_;
  std::vector<std::string> trace_;
  std::ostream* stream_ = nullptr;
  bool readsEvery_ = true;            // every line is kept, streamed or watched
  std::vector<std::string> readEvs_;  // otherwise, the "ev"s someone waits for
};

}  // namespace kelvory
