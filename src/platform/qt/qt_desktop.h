#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QObject>
#include <map>
#include <memory>
#include <vector>

#include "platform/core/desktop_core.h"
#include "platform/qt/qt_fullscreen.h"
#include "platform/qt/qt_resources.h"
#include "platform/qt/qt_session.h"
#include "platform/qt/qt_timers.h"

namespace kelvory {

// The game's desktop on Qt Widgets. Needs a QApplication that outlives it.
class QtDesktop final : public DesktopCore {
 public:
  // icon: the windows' icon; none leaves Qt's own.
  explicit QtDesktop(const Bitmap* icon);
  ~QtDesktop() override;
  QtDesktop(const QtDesktop&) = delete;
  QtDesktop& operator=(const QtDesktop&) = delete;

  Ms now() const override;  // monotonic, from a QElapsedTimer
  LocalTime localTime() const override;
  // Beside the program, or in the user's configuration folder.
  std::string programFolder() const override;
  [[noreturn]] void endProgram() override;
  // The primary screen, Qt's font metrics.
  ScreenMetrics metrics() const override;
  double textWidth(const Font&, std::string_view text) const override;

 private:
  // Precise Qt timers, all received by one hub object.
  void startTimer(TimerId, int intervalMs) override;
  void stopTimer(TimerId) override;
  void onQtTimer(int qtId);
  std::unique_ptr<NativeWindow> makeWindow(WindowId, const WindowDesc&) override;
  // A QMenu and a QMessageBox, each running its own loop.
  std::optional<int> trackMenu(NativeWindow& owner,
                               const std::vector<MenuItemDesc>& items) override;
  void closeMenu() override;
  MsgAnswer showMessageBox(std::string_view text, MsgButtons, MsgIcon) override;
  // QCoreApplication::processEvents, blocking for more when asked to wait.
  void dispatchQueued(const std::function<bool()>& done) override;
  void waitForEvents(Ms deadline) override;
  void writeLog(std::string_view line) override;  // to stderr
  void watchScreen();
  void readScreen() override;

  qt::Resources resources_;
  QElapsedTimer clock_;
  QImage icon_;
  std::map<TimerId, int> running_;  // the game's timers by their Qt ids
  std::map<int, TimerId> byQtId_;
  QMenu* openMenu_ = nullptr;  // while a popup menu's loop runs
  std::unique_ptr<qt::TimerHub> hub_;
  std::unique_ptr<QObject> termination_;
  std::unique_ptr<QObject> fullscreen_;
  std::unique_ptr<QObject> workArea_;  // docks the scene anew where Qt cannot tell
  std::vector<QMetaObject::Connection> screenConnections_;
};

}  // namespace kelvory
