#pragma once

#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/native_window.h"
#include "platform/desktop.h"

namespace kelvory {

// What every real desktop shares, written once: the handle tables and their
// cleanup, mouse capture, the modal stack, covered and wanted visibility,
// and the re-entry depth that keeps a window alive while a handler of it
// still runs. A desktop derives from it and supplies only its native
// windows, timers, menus, message boxes and event loop; its windows report
// the user's input into the core through the InputSink interface, and the
// core decides what reaches the game.
class DesktopCore : public Desktop, protected InputSink {
 public:
  DesktopCore();
  ~DesktopCore() override;
  DesktopCore(const DesktopCore&) = delete;
  DesktopCore& operator=(const DesktopCore&) = delete;

  void setInputSink(InputSink* sink) final;

  WindowId createWindow(const WindowDesc&) final;
  void destroyWindow(WindowId) final;
  void setGeometry(WindowId, const Twips&) final;
  void show(WindowId) final;
  void showModal(WindowId) final;
  void hide(WindowId) final;
  void sendToBack(WindowId) final;
  void bringToFront(WindowId) final;
  void setBackColor(WindowId, ControlId, Rgb) final;
  void setPicture(WindowId, ControlId, const Picture&) final;
  ShapeResult setShape(WindowId, const Shape&) final;
  void clearText(WindowId) final;
  void printText(WindowId, std::string_view text, double x, double y, const Font&) final;

  ControlId addControl(WindowId, const ControlDesc&) final;
  void setControlGeometry(WindowId, ControlId, const Twips&) final;
  void setText(WindowId, ControlId, std::string_view) final;
  void setVisible(WindowId, ControlId, bool) final;
  void setToolTip(WindowId, ControlId, std::string_view) final;

  MenuId createMenu(WindowId owner, const std::vector<MenuItemDesc>&) final;
  // Not final, like setTimer, waitUntil, writeProfileString and mark: the
  // simulated desktop records these calls, which reach no native window.
  void setMenuItemVisible(MenuId, int item, bool) override;
  std::optional<int> popupMenu(MenuId) final;
  MsgAnswer messageBox(std::string_view text, MsgButtons, MsgIcon) final;

  TimerId createTimer(WindowId owner, std::string_view name, std::function<void()> tick) final;
  void setTimer(TimerId, bool enabled, int intervalMs) override;
  void destroyTimer(TimerId) final;

  void processPending() final;
  // The programs link the blocking wait (blocking_wait.cpp); the benchmark
  // links its old polling one in its stead, to measure the two side by side.
  void waitUntil(Ms deadline, const std::function<bool()>& done) override;

  std::optional<std::string> readProfileString(std::string_view section, std::string_view key,
                                               const std::string& path) final;
  bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& path) override;
  void mark(Moment) override;

 protected:
  // --- what a desktop supplies -------------------------------------------
  // A hidden window reporting to reports().
  virtual std::unique_ptr<NativeWindow> makeWindow(WindowId, const WindowDesc&) = 0;
  // The owner is alive; items as the game last set them, hidden ones too.
  // Blocks, running the event loop, until the menu closes.
  virtual std::optional<int> trackMenu(NativeWindow& owner,
                                       const std::vector<MenuItemDesc>& items) = 0;
  // The open menu's owner went: the menu closes with nothing chosen.
  virtual void closeMenu() = 0;
  virtual MsgAnswer showMessageBox(std::string_view text, MsgButtons, MsgIcon) = 0;
  // Calls onTimer(id) every intervalMs until stopped; stopping a timer
  // that does not run does nothing.
  virtual void startTimer(TimerId, int intervalMs) = 0;
  virtual void stopTimer(TimerId) = 0;
  // Dispatches what is queued now without blocking, checking done() where
  // the event loop allows it.
  virtual void dispatchQueued(const std::function<bool()>& done) = 0;
  // Dispatches something, or blocks until an event comes or the clock
  // reaches the deadline (kNever: no deadline).
  virtual void waitForEvents(Ms deadline) = 0;
  // One line of the KELVORY_TRACE log, newline included.
  virtual void writeLog(std::string_view line) = 0;

  // --- what a desktop calls ----------------------------------------------
  InputSink& reports() { return *this; }
  void onTimer(TimerId id);
  // A fullscreen window of another program came to the front or left.
  void coverFigures(bool covered);
  // The screen's size, work area or scale changed: every window is laid
  // out again, then the game hears of it. The scale must be read first.
  void screenChanged() override;
  // A sign that the screen may have changed. One change brings many (each
  // window hears of it, a toolkit signals size and work area apart): the
  // game hears of them once, from the event loop, after readScreen().
  void noteScreenChange();
  // Reads the screen's scale again before a noted change is laid out.
  virtual void readScreen() {}
  void sessionEnding() override;
  // Every window, menu and timer goes; for a desktop's destructor, before
  // the resources the windows draw with.
  void closeAll();

  // --- what a desktop may read -------------------------------------------
  struct Timer {
    WindowId owner = 0;
    std::string name;
    bool enabled = false;
    int interval = 0;
    std::function<void()> tick;
  };
  struct Menu {
    WindowId owner = 0;
    std::vector<MenuItemDesc> items;
  };
  struct Capture {
    WindowId window = 0;
    ControlId control = kSurface;
  };
  // nullptr, or nothing, once gone.
  const Timer* timerOf(TimerId id) const;
  const Menu* menuOf(MenuId id) const;
  // The control that took the press of this button, while it is down.
  std::optional<Capture> captureOf(MouseButton button) const;
  bool hasInputSink() const { return sink_ != nullptr; }

 private:
  // Input from the native windows.
  void mouseDown(WindowId, ControlId, MouseButton) override;
  void mouseUp(WindowId, ControlId, MouseButton) override;
  void mouseMove(WindowId, ControlId) override;
  void clicked(WindowId, ControlId) override;
  void closeRequested(WindowId) override;

  NativeWindow* window(WindowId id) const;
  // Runs game code: counts the depth so that nothing it may still be
  // standing on is destroyed under it.
  template <class F>
  void enterGame(F&& f);
  template <class F>
  void toSink(F&& f);
  void collectGarbage();
  // Lets exactly the windows the innermost modal window allows take input.
  void applyModality();

  // The core's own timer, above every id the game's timers get: a noted
  // screen change is laid out when it ticks.
  static constexpr TimerId kScreenTimer = std::numeric_limits<TimerId>::max();

  InputSink* sink_ = nullptr;
  int depth_ = 0;
  bool trace_ = false;
  bool covered_ = false;
  std::map<WindowId, std::unique_ptr<NativeWindow>> windows_;
  // The window last found: the game makes several calls on one window in a
  // row, and each would otherwise search the map.
  mutable WindowId lastId_ = 0;
  mutable NativeWindow* last_ = nullptr;
  // Windows gone from the game's view but possibly still running a handler
  // further up the stack; destroyed once no game code runs.
  std::vector<std::unique_ptr<NativeWindow>> graveyard_;
  std::map<MouseButton, Capture> captures_;
  std::map<TimerId, Timer> timers_;
  std::map<MenuId, Menu> menus_;
  std::vector<WindowId> modals_;  // innermost last
  std::optional<MenuId> openMenu_;
  WindowId nextWindow_ = 1;
  TimerId nextTimer_ = 1;
  bool screenNoted_ = false;
  MenuId nextMenu_ = 1;
};

}  // namespace kelvory
