#pragma once

#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <map>
#include <memory>
#include <vector>

#include "platform/desktop.h"
#include "platform/qt/qt_fullscreen.h"
#include "platform/qt/qt_resources.h"
#include "platform/qt/qt_session.h"
#include "platform/qt/qt_timers.h"
#include "platform/qt/qt_window.h"

namespace kelvory {

// The game's desktop on Qt Widgets. Needs a QApplication that outlives it.
class QtDesktop final : public Desktop, private qt::WindowListener {
 public:
  QtDesktop();
  ~QtDesktop() override;
  QtDesktop(const QtDesktop&) = delete;
  QtDesktop& operator=(const QtDesktop&) = delete;

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
    int qtId = 0;  // 0 while stopped
  };
  struct Menu {
    WindowId owner = 0;
    std::unique_ptr<QMenu> menu;
    std::vector<QAction*> items;  // owned by the menu
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

  qt::DeskWindow* window(WindowId id) const;
  // Runs game code: counts the depth so that nothing it may still be
  // standing on is deleted under it.
  template <class F>
  void enterGame(F&& f);
  template <class F>
  void toSink(F&& f);
  void onTimer(int qtId);
  void stopTimer(Timer& timer);
  void bury(std::unique_ptr<QObject> object);
  void collectGarbage();
  void watchScreen();
  void onScreenChanged();

  qt::Resources resources_;
  QElapsedTimer clock_;
  InputSink* sink_ = nullptr;
  int depth_ = 0;
  bool trace_ = false;
  QImage icon_;
  std::map<MouseButton, Capture> captures_;
  std::map<TimerId, Timer> timers_;
  std::map<int, TimerId> byQtId_;
  std::map<MenuId, Menu> menus_;
  WindowId nextWindow_ = 1;
  TimerId nextTimer_ = 1;
  MenuId nextMenu_ = 1;
  // Windows and menus gone from the game's view but possibly still running
  // a Qt handler further up the stack; deleted once no game code runs.
  std::vector<std::unique_ptr<QObject>> graveyard_;
  std::map<WindowId, std::unique_ptr<qt::DeskWindow>> windows_;
  std::unique_ptr<qt::TimerHub> hub_;
  std::unique_ptr<qt::TerminationWatch> termination_;
  std::unique_ptr<qt::FullscreenWatch> fullscreen_;
  bool covered_ = false;
  std::vector<QMetaObject::Connection> screenConnections_;
};

}  // namespace kelvory
