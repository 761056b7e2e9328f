#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
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

#include "assets/pictures.h"
#include "platform/profile.h"

namespace kelvory {
namespace {

// Set by the build: spin instead of blocking, the way the wait used to work.
constexpr bool kPollingWait = KELVORY_POLLING_WAIT;

const char* MomentName(Moment moment) {
  switch (moment) {
    case Moment::Bite:
      return "bite";
    case Moment::StrikeWindowClosed:
      return "strike-window-closed";
    case Moment::MeterStep:
      return "meter-step";
    case Moment::FlightStep:
      return "flight-step";
    case Moment::FightHalfStep:
      return "fight-half-step";
  }
  return "?";
}

QMessageBox::Icon BoxIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Error:
      return QMessageBox::Critical;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Restores a counter however the block is left.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace

template <class F>
void QtDesktop::enterGame(F&& f) {
  DepthGuard guard(depth_);
  f();
}

template <class F>
void QtDesktop::toSink(F&& f) {
  if (sink_ == nullptr) return;
  enterGame([&] { f(*sink_); });
}

QtDesktop::QtDesktop()
    : trace_(qEnvironmentVariableIsSet("KELVORY_TRACE")),
      hub_(std::make_unique<qt::TimerHub>([this](int qtId) { onTimer(qtId); })) {
  clock_.start();
  QGuiApplication::setQuitOnLastWindowClosed(false);
  if (const QImage* icon = resources_.image(&assets::icon())) {
    icon_ = *icon;
    QApplication::setWindowIcon(QPixmap::fromImage(icon_));
  }
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    resources_.setLogicalDpi(screen->logicalDotsPerInch());
  }
  watchScreen();
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app != nullptr) {
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, hub_.get(), [this] {
      watchScreen();
      onScreenChanged();
    });
    QObject::connect(app, &QGuiApplication::commitDataRequest, hub_.get(),
                     [this](QSessionManager&) { toSink([](InputSink& s) { s.sessionEnding(); }); });
  }
  termination_ = std::make_unique<qt::TerminationWatch>(
      [this] { toSink([](InputSink& s) { s.sessionEnding(); }); });
  fullscreen_ = std::make_unique<qt::FullscreenWatch>([this](bool covered) {
    covered_ = covered;
    for (const auto& [id, w] : windows_) w->setCovered(covered);
  });
}

QtDesktop::~QtDesktop() {
  for (const auto& c : screenConnections_) QObject::disconnect(c);
  fullscreen_.reset();
  termination_.reset();
  hub_.reset();
  menus_.clear();
  windows_.clear();
  graveyard_.clear();
}

void QtDesktop::setInputSink(InputSink* sink) { sink_ = sink; }

// --- screen, clock, calendar ------------------------------------------------

ScreenMetrics QtDesktop::metrics() const {
  ScreenMetrics m;
  m.twipsPerPixel = resources_.twipsPerPixel();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect all = screen->geometry();
    m.widthPx = all.width();
    m.heightPx = all.height();
    m.workAreaBottomPx = screen->availableGeometry().bottom() + 1;
  }
  const QMargins frame = resources_.dialogFrame();
  m.dialogFrameWidthPx = frame.left() + frame.right();
  m.dialogFrameHeightPx = frame.top() + frame.bottom();
  return m;
}

Desktop::Ms QtDesktop::now() const { return clock_.elapsed(); }

LocalTime QtDesktop::localTime() const {
  const QDateTime t = QDateTime::currentDateTime();
  return {t.date().year(), t.date().month(),  t.date().day(),
          t.time().hour(), t.time().minute(), t.time().second()};
}

void QtDesktop::watchScreen() {
  for (const auto& c : screenConnections_) QObject::disconnect(c);
  screenConnections_.clear();
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const auto changed = [this] { onScreenChanged(); };
  screenConnections_.push_back(
      QObject::connect(screen, &QScreen::geometryChanged, hub_.get(), changed));
  screenConnections_.push_back(
      QObject::connect(screen, &QScreen::availableGeometryChanged, hub_.get(), changed));
  screenConnections_.push_back(
      QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, hub_.get(), changed));
}

void QtDesktop::onScreenChanged() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    resources_.setLogicalDpi(screen->logicalDotsPerInch());
  }
  for (auto& [id, w] : windows_) w->relayout(true);
  toSink([](InputSink& s) { s.screenChanged(); });
}

// --- windows ------------------------------------------------------------------

qt::DeskWindow* QtDesktop::window(WindowId id) const {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : it->second.get();
}

WindowId QtDesktop::createWindow(const WindowDesc& desc) {
  const WindowId id = nextWindow_++;
  qt::WindowListener& listener = *this;
  const auto& w =
      windows_
          .emplace(id, std::make_unique<qt::DeskWindow>(id, desc, resources_, listener,
                                                        icon_.isNull() ? nullptr : &icon_))
          .first->second;
  w->setCovered(covered_);
  return id;
}

void QtDesktop::destroyWindow(WindowId id) {
  const auto it = windows_.find(id);
  if (it == windows_.end()) return;
  std::unique_ptr<qt::DeskWindow> gone = std::move(it->second);
  windows_.erase(it);
  gone->hide();
  for (auto t = timers_.begin(); t != timers_.end();) {
    if (t->second.owner != id) {
      ++t;
      continue;
    }
    stopTimer(t->second);
    t = timers_.erase(t);
  }
  std::vector<std::unique_ptr<QObject>> menus;
  for (auto m = menus_.begin(); m != menus_.end();) {
    if (m->second.owner != id) {
      ++m;
      continue;
    }
    // A menu still open closes: its popup call returns nothing chosen.
    m->second.menu->hide();
    menus.push_back(std::move(m->second.menu));
    m = menus_.erase(m);
  }
  std::erase_if(captures_, [&](const auto& entry) { return entry.second.window == id; });
  for (auto& menu : menus) bury(std::move(menu));
  bury(std::move(gone));
}

void QtDesktop::bury(std::unique_ptr<QObject> object) {
  graveyard_.push_back(std::move(object));
  collectGarbage();
}

void QtDesktop::collectGarbage() {
  if (depth_ != 0 || graveyard_.empty()) return;
  const std::vector<std::unique_ptr<QObject>> dead = std::move(graveyard_);
  graveyard_.clear();
}

void QtDesktop::setGeometry(WindowId id, const Twips& geometry) {
  if (auto* w = window(id)) w->setTwips(geometry);
}

void QtDesktop::show(WindowId id) {
  if (auto* w = window(id)) w->setWanted(true, false);
}

void QtDesktop::showModal(WindowId id) {
  if (auto* w = window(id)) w->setWanted(true, true);
}

void QtDesktop::hide(WindowId id) {
  if (auto* w = window(id)) w->setWanted(false, w->windowModality() != Qt::NonModal);
}

void QtDesktop::sendToBack(WindowId id) {
  if (auto* w = window(id)) w->lower();
}

void QtDesktop::bringToFront(WindowId id) {
  if (auto* w = window(id)) w->raise();
}

void QtDesktop::setBackColor(WindowId id, ControlId control, Rgb colour) {
  if (auto* w = window(id)) w->setBack(control, colour);
}

void QtDesktop::setPicture(WindowId id, ControlId control, const Picture& picture) {
  if (auto* w = window(id)) w->setImage(control, resources_.image(picture.bitmap));
}

ShapeResult QtDesktop::setShape(WindowId id, const Shape& shape) {
  if (auto* w = window(id)) w->setShape({shape.rects.begin(), shape.rects.end()});
  return ShapeResult::Ok;
}

void QtDesktop::clearText(WindowId id) {
  if (auto* w = window(id)) w->clearPrinted();
}

void QtDesktop::printText(WindowId id, std::string_view text, double x, double y,
                          const Font& font) {
  if (auto* w = window(id)) w->print(text, x, y, resources_.font(font));
}

double QtDesktop::textWidth(const Font& font, std::string_view text) const {
  const QFontMetricsF metrics(resources_.font(font));
  return metrics.horizontalAdvance(qt::ToQString(text)) * resources_.twipsPerPixel();
}

// --- controls -----------------------------------------------------------------

ControlId QtDesktop::addControl(WindowId id, const ControlDesc& desc) {
  auto* w = window(id);
  return w ? w->addControl(desc) : kSurface;
}

void QtDesktop::setControlGeometry(WindowId id, ControlId control, const Twips& box) {
  if (auto* w = window(id)) w->setControlBox(control, box);
}

void QtDesktop::setText(WindowId id, ControlId control, std::string_view text) {
  if (auto* w = window(id)) w->setControlText(control, text);
}

void QtDesktop::setVisible(WindowId id, ControlId control, bool visible) {
  if (auto* w = window(id)) w->setControlVisible(control, visible);
}

void QtDesktop::setToolTip(WindowId id, ControlId control, std::string_view tip) {
  if (auto* w = window(id)) w->setControlToolTip(control, tip);
}

// --- input ----------------------------------------------------------------------

void QtDesktop::pressed(WindowId id, ControlId control, MouseButton button) {
  captures_[button] = {id, control};
  toSink([&](InputSink& s) { s.mouseDown(id, control, button); });
}

void QtDesktop::released(WindowId id, ControlId control, MouseButton button) {
  Capture target{id, control};
  if (const auto it = captures_.find(button); it != captures_.end()) {
    target = it->second;
    captures_.erase(it);
  }
  if (window(target.window) == nullptr) return;
  toSink([&](InputSink& s) { s.mouseUp(target.window, target.control, button); });
}

void QtDesktop::moved(WindowId id, ControlId control) {
  toSink([&](InputSink& s) { s.mouseMove(id, control); });
}

void QtDesktop::clicked(WindowId id, ControlId control) {
  toSink([&](InputSink& s) { s.clicked(id, control); });
}

void QtDesktop::closeRequested(WindowId id) {
  toSink([&](InputSink& s) { s.closeRequested(id); });
}

// --- menus and message boxes ---------------------------------------------------------

MenuId QtDesktop::createMenu(WindowId owner, const std::vector<MenuItemDesc>& items) {
  if (window(owner) == nullptr) return 0;
  Menu menu{owner, std::make_unique<QMenu>(), {}};
  for (std::size_t i = 0; i < items.size(); ++i) {
    QAction* action = items[i].caption == "-"
                          ? menu.menu->addSeparator()
                          : menu.menu->addAction(qt::ToQString(items[i].caption));
    action->setData(static_cast<int>(i));
    action->setVisible(items[i].visible);
    menu.items.push_back(action);
  }
  const MenuId id = nextMenu_++;
  menus_.emplace(id, std::move(menu));
  return id;
}

void QtDesktop::setMenuItemVisible(MenuId id, int item, bool visible) {
  const auto it = menus_.find(id);
  if (it == menus_.end() || item < 0 || static_cast<std::size_t>(item) >= it->second.items.size()) {
    return;
  }
  it->second.items[static_cast<std::size_t>(item)]->setVisible(visible);
}

std::optional<int> QtDesktop::popupMenu(MenuId id) {
  const auto it = menus_.find(id);
  if (it == menus_.end()) return std::nullopt;
  QMenu* menu = it->second.menu.get();
  // The menu's own loop runs game code; the menu must outlive it even if its
  // owner goes meanwhile.
  DepthGuard guard(depth_);
  const QAction* chosen = menu->exec(QCursor::pos());
  if (chosen == nullptr || chosen->isSeparator()) return std::nullopt;
  return chosen->data().toInt();
}

MsgAnswer QtDesktop::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  const bool yesNo = buttons == MsgButtons::YesNo;
  QMessageBox box(BoxIcon(icon), QStringLiteral("Kelvory"), qt::ToQString(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
  // The figures stay on top; the question must not hide behind them.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (yesNo) box.setEscapeButton(QMessageBox::No);
  DepthGuard guard(depth_);
  const int answer = box.exec();
  if (!yesNo) return MsgAnswer::Ok;
  return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

// --- timers and waiting --------------------------------------------------------------

TimerId QtDesktop::createTimer(WindowId owner, std::string_view, std::function<void()> tick) {
  const TimerId id = nextTimer_++;
  if (window(owner) != nullptr) timers_.emplace(id, Timer{owner, std::move(tick), 0});
  return id;
}

void QtDesktop::stopTimer(Timer& timer) {
  if (timer.qtId == 0) return;
  hub_->killTimer(timer.qtId);
  byQtId_.erase(timer.qtId);
  timer.qtId = 0;
}

void QtDesktop::setTimer(TimerId id, bool enabled, int intervalMs) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  Timer& timer = it->second;
  stopTimer(timer);
  if (!enabled || intervalMs <= 0) return;
  timer.qtId = hub_->startTimer(intervalMs, Qt::PreciseTimer);
  if (timer.qtId != 0) byQtId_[timer.qtId] = id;
}

void QtDesktop::destroyTimer(TimerId id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  stopTimer(it->second);
  timers_.erase(it);
}

void QtDesktop::onTimer(int qtId) {
  const auto byQt = byQtId_.find(qtId);
  if (byQt == byQtId_.end()) return;  // a wake-up for a wait, nothing to run
  const auto it = timers_.find(byQt->second);
  if (it == timers_.end()) return;
  // The handler may destroy the timer and with it the stored function.
  const std::function<void()> tick = it->second.tick;
  enterGame([&] { tick(); });
}

void QtDesktop::processPending() {
  collectGarbage();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  collectGarbage();
}

void QtDesktop::waitUntil(Ms deadline, const std::function<bool()>& done) {
  if constexpr (kPollingWait) {
    // Never sleeps: drains the queue and re-reads the clock until it is time.
    for (;;) {
      if (done()) return;
      collectGarbage();
      const bool due = deadline != kNever && now() >= deadline;
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      if (due) return;
    }
  }
  for (;;) {
    if (done()) return;
    collectGarbage();
    if (deadline != kNever) {
      const Ms left = deadline - now();
      if (left <= 0) {
        // What fell due by the deadline still runs before the wait ends.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
      }
      // A timer of our own makes the blocking call return at the deadline.
      const int wake =
          hub_->startTimer(static_cast<int>(std::min<Ms>(left, INT_MAX)), Qt::PreciseTimer);
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
      if (wake != 0) hub_->killTimer(wake);
    } else {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
  }
}

// --- settings and the rest -----------------------------------------------------------

std::string QtDesktop::programFolder() const {
  // A read-only install keeps the settings in the user's configuration.
  const QString user =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/kelvory";
  return files::settingsFolder(QCoreApplication::applicationDirPath().toStdString(),
                               user.toStdString());
}

std::string QtDesktop::readProfileString(std::string_view section, std::string_view key,
                                         const std::string& path) {
  return files::readValue(section, key, path);
}

bool QtDesktop::writeProfileString(std::string_view section, std::string_view key,
                                   std::string_view value, const std::string& path) {
  return files::writeValue(section, key, value, path);
}

void QtDesktop::mark(Moment moment) {
  if (!trace_) return;
  std::fprintf(stderr, "kelvory: %lld ms %s\n", static_cast<long long>(now()), MomentName(moment));
}

void QtDesktop::endProgram() {
  std::fflush(nullptr);
  // Nothing else may run: no destructor, no pending event, no handler.
  std::quick_exit(0);
}

}  // namespace kelvory
