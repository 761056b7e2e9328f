#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/desktop.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_hub.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_window.h"

namespace kelvory {

// The game's desktop on plain Win32: one thread, one message queue.
class Win32Desktop final : public Desktop, private win32::WindowListener {
 public:
  Win32Desktop();
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

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

 private:
  struct Timer {
    WindowId owner = 0;
    std::function<void()> tick;
    win32::WindowTimer running;
  };
  struct Menu {
    WindowId owner = 0;
    std::vector<MenuItemDesc> items;
  };
  struct Capture {
    WindowId window = 0;
    ControlId control = kSurface;
  };

  // WindowListener: raw input from the windows.
  void pressed(WindowId, ControlId, MouseButton) override;
  void released(WindowId, ControlId, MouseButton) override;
  void moved(WindowId, ControlId) override;
  void clicked(WindowId, ControlId) override;
  void closeRequested(WindowId) override;
  void sessionEnding() override;
  void screenChanged() override;

  win32::DeskWindow* window(WindowId id) const;
  // Runs game code: counts the depth so that nothing it may still be
  // standing on is destroyed under it.
  template <class F>
  void enterGame(F&& f);
  template <class F>
  void toSink(F&& f);
  void onTimer(UINT_PTR id);
  // A fullscreen window of another program (a game, a film) is in front.
  bool fullscreenInFront() const;
  void onScreenChanged();
  void collectGarbage();
  // Enables exactly the windows the innermost modal window allows.
  void applyModality();
  // One queued message; false when the queue was empty.
  bool dispatchOne();

  win32::Resources resources_;
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER start_{};
  InputSink* sink_ = nullptr;
  int depth_ = 0;
  bool trace_ = false;
  bool periodSet_ = false;
  win32::IconHandle icon_;
  std::map<MouseButton, Capture> captures_;
  std::map<TimerId, Timer> timers_;
  std::map<MenuId, Menu> menus_;
  std::vector<WindowId> modals_;  // innermost last
  WindowId nextWindow_ = 1;
  TimerId nextTimer_ = 1;
  MenuId nextMenu_ = 1;
  std::optional<MenuId> openMenu_;
  // Windows gone from the game's view but possibly still running a handler
  // further up the stack; destroyed once no game code runs.
  std::vector<std::unique_ptr<win32::DeskWindow>> graveyard_;
  std::map<WindowId, std::unique_ptr<win32::DeskWindow>> windows_;
  win32::WindowTimer fullscreenCheck_;
  bool covered_ = false;
  std::unique_ptr<win32::Hub> hub_;
};

}  // namespace kelvory
