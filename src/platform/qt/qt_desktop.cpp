#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <QStandardPaths>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/core/local_clock.h"
#include "platform/core/menu_entries.h"
#include "platform/core/message_box.h"
#include "platform/core/screen_layout.h"
#include "platform/profile.h"
#include "platform/qt/qt_quiet_moves.h"
#include "platform/qt/qt_window.h"
#include "platform/qt/qt_work_area.h"

namespace kelvory {
namespace {

constexpr BoxIcons<QMessageBox::Icon> kBoxIcons{.none = QMessageBox::NoIcon,
                                                .question = QMessageBox::Question,
                                                .warning = QMessageBox::Warning,
                                                .error = QMessageBox::Critical};

}  // namespace

QtDesktop::QtDesktop(const Bitmap* icon)
    : hub_(std::make_unique<qt::TimerHub>([this](int qtId) { onQtTimer(qtId); })) {
  clock_.start();
  QGuiApplication::setQuitOnLastWindowClosed(false);
  if (const QImage* image = resources_.image(icon)) {
    icon_ = *image;
    QApplication::setWindowIcon(QPixmap::fromImage(icon_));
  }
  readScreen();
  watchScreen();
  workArea_ = qt::WatchWorkArea([this] { noteScreenChange(); });
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app != nullptr) {
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, hub_.get(), [this] {
      watchScreen();
      noteScreenChange();
    });
    QObject::connect(app, &QGuiApplication::commitDataRequest, hub_.get(),
                     [this](QSessionManager&) { sessionEnding(); });
  }
  termination_ = qt::WatchTermination([this] { sessionEnding(); });
  fullscreen_ = qt::WatchFullscreen([this](bool covered) { coverFigures(covered); });
}

QtDesktop::~QtDesktop() {
  for (const auto& c : screenConnections_) QObject::disconnect(c);
  workArea_.reset();
  fullscreen_.reset();
  termination_.reset();
  hub_.reset();
  closeAll();
}

// --- screen, clock, calendar ------------------------------------------------

ScreenMetrics QtDesktop::metrics() const {
  DeviceScreen read{.dialogFrame = resources_.dialogExtents()};
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    read.width = screen->geometry().width();
    read.height = screen->geometry().height();
    read.workAreaBottom = qt::WorkAreaBottom(*screen);
  }
  return LayoutMetrics(read, resources_.grid());
}

Desktop::Ms QtDesktop::now() const { return clock_.elapsed(); }

LocalTime QtDesktop::localTime() const { return LocalClockNow(); }

void QtDesktop::watchScreen() {
  for (const auto& c : screenConnections_) QObject::disconnect(c);
  screenConnections_.clear();
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const auto changed = [this] { noteScreenChange(); };
  screenConnections_.push_back(
      QObject::connect(screen, &QScreen::geometryChanged, hub_.get(), changed));
  screenConnections_.push_back(
      QObject::connect(screen, &QScreen::availableGeometryChanged, hub_.get(), changed));
  screenConnections_.push_back(
      QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, hub_.get(), changed));
}

void QtDesktop::readScreen() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    resources_.setLogicalDpi(screen->logicalDotsPerInch());
  }
}

double QtDesktop::textWidth(const Font& font, std::string_view text) const {
  const QFontMetricsF metrics(resources_.font(font));
  return resources_.grid().twips(metrics.horizontalAdvance(qt::ToQString(text)));
}

// --- windows, menus, message boxes ---------------------------------------------------

std::unique_ptr<NativeWindow> QtDesktop::makeWindow(WindowId id, const WindowDesc& desc) {
  return std::make_unique<qt::DeskWindow>(id, desc, resources_, reports(),
                                          icon_.isNull() ? nullptr : &icon_);
}

std::optional<int> QtDesktop::trackMenu(NativeWindow&, const std::vector<MenuItemDesc>& items) {
  QMenu menu;
  for (const MenuEntry& entry : MenuEntries(items)) {
    QAction* action =
        entry.separator ? menu.addSeparator() : menu.addAction(qt::ToQString(entry.caption));
    action->setData(entry.command);
  }
  openMenu_ = &menu;
  const QAction* chosen = menu.exec(QCursor::pos());
  openMenu_ = nullptr;
  return ChosenItem(chosen == nullptr ? 0 : chosen->data().toInt());
}

void QtDesktop::closeMenu() {
  if (openMenu_ != nullptr) openMenu_->hide();
}

MsgAnswer QtDesktop::showMessageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  const bool yesNo = buttons == MsgButtons::YesNo;
  QMessageBox box(BoxIcon(icon, kBoxIcons), qt::ToQString(kMessageBoxCaption), qt::ToQString(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
  // The figures stay on top; the question must not hide behind them.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (yesNo) box.setEscapeButton(QMessageBox::No);
  return BoxAnswer(buttons, box.exec() == QMessageBox::Yes);
}

// --- timers and waiting --------------------------------------------------------------

void QtDesktop::startTimer(TimerId id, int intervalMs) {
  const int qtId = hub_->startTimer(intervalMs, Qt::PreciseTimer);
  if (qtId == 0) return;
  running_[id] = qtId;
  byQtId_[qtId] = id;
}

void QtDesktop::stopTimer(TimerId id) {
  const auto it = running_.find(id);
  if (it == running_.end()) return;
  hub_->killTimer(it->second);
  byQtId_.erase(it->second);
  running_.erase(it);
}

void QtDesktop::onQtTimer(int qtId) {
  const auto it = byQtId_.find(qtId);
  if (it == byQtId_.end()) return;  // a wake-up for a wait, nothing to run
  onTimer(it->second);
  qt::SendRequests();
}

void QtDesktop::dispatchQueued(const std::function<bool()>&) {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtDesktop::waitForEvents(Ms deadline) {
  qt::SendRequests();
  if (deadline == kNever) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    return;
  }
  // A timer of our own makes the blocking call return at the deadline.
  const Ms left = std::clamp<Ms>(deadline - now(), 0, INT_MAX);
  const int wake = hub_->startTimer(static_cast<int>(left), Qt::PreciseTimer);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
  if (wake != 0) hub_->killTimer(wake);
}

// --- settings and the rest -----------------------------------------------------------

std::string QtDesktop::programFolder() const {
  // $XDG_CONFIG_HOME/kelvory (usually ~/.config/kelvory), whether the program
  // runs from a build tree, an install or a package; a KVY.ini beside the
  // program makes a portable copy.
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString user = config.isEmpty() ? QString() : config + "/kelvory";
  return files::settingsFolder(QCoreApplication::applicationDirPath().toStdString(),
                               user.toStdString(), files::Home::UserFolder);
}

void QtDesktop::writeLog(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void QtDesktop::endProgram() {
  std::fflush(nullptr);
  // Nothing else may run: no destructor, no pending event, no handler.
  std::quick_exit(0);
}

}  // namespace kelvory
