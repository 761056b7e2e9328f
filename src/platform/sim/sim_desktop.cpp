#include "platform/sim/sim_desktop.h"

#include <chrono>
#include <filesystem>
#include <utility>

#include "platform/core/moments.h"
#include "platform/profile.h"

namespace kelvory {

namespace {

SimDesktop::Options WithFolder(SimDesktop::Options options) {
  if (options.folder.empty()) {
    std::error_code ec;
    const auto here = std::filesystem::current_path(ec);
    options.folder = ec ? std::string(".") : here.string();
  }
  return options;
}

}  // namespace

SimDesktop::SimDesktop() : SimDesktop(Options{}) {}

SimDesktop::SimDesktop(Options options)
    : options_(WithFolder(std::move(options))),
      trace_(clock_, options_.keepTrace),
      windows_(trace_, clock_),
      player_(windows_, trace_, clock_) {}

SimDesktop::~SimDesktop() { shutdown(); }

// ---- screen, clock -----------------------------------------------------

void SimDesktop::setInputSink(InputSink* sink) { player_.setSink(sink); }

ScreenMetrics SimDesktop::metrics() const { return options_.screen; }

Desktop::Ms SimDesktop::now() const { return clock_.now(); }

LocalTime SimDesktop::localTime() const {
  using namespace std::chrono;
  const sys_days start{year{2000} / January / 1};
  const auto moment = start + milliseconds{now()};
  const auto day = floor<days>(moment);
  const year_month_day ymd{day};
  const hh_mm_ss hms{floor<seconds>(moment - day)};
  return LocalTime{static_cast<int>(ymd.year()),
                   static_cast<int>(static_cast<unsigned>(ymd.month())),
                   static_cast<int>(static_cast<unsigned>(ymd.day())),
                   static_cast<int>(hms.hours().count()),
                   static_cast<int>(hms.minutes().count()),
                   static_cast<int>(hms.seconds().count())};
}

double SimDesktop::textWidth(const Font&, std::string_view text) const {
  // A fixed-pitch stand-in: narrow ASCII, wide everything else.
  int px = 0;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      px += 6;
    } else if ((b & 0xC0) != 0x80) {
      px += 11;  // the lead byte of a code point; continuation bytes add nothing
    }
  }
  return static_cast<double>(px) * options_.screen.twipsPerPixel;
}

// ---- windows, controls, menus, timers: the records ----------------------

WindowId SimDesktop::createWindow(const WindowDesc& desc) { return windows_.create(desc); }

void SimDesktop::destroyWindow(WindowId id) {
  player_.forget(id);
  windows_.destroy(id);
}

void SimDesktop::setGeometry(WindowId id, const Twips& g) { windows_.setGeometry(id, g); }
void SimDesktop::show(WindowId id) { windows_.show(id); }
void SimDesktop::showModal(WindowId id) { windows_.showModal(id); }
void SimDesktop::hide(WindowId id) { windows_.hide(id); }
void SimDesktop::sendToBack(WindowId id) { windows_.sendToBack(id); }
void SimDesktop::bringToFront(WindowId id) { windows_.bringToFront(id); }

void SimDesktop::setBackColor(WindowId id, ControlId control, Rgb colour) {
  windows_.setBackColor(id, control, colour);
}

void SimDesktop::setPicture(WindowId id, ControlId control, const Picture& picture) {
  windows_.setPicture(id, control, picture);
}

ShapeResult SimDesktop::setShape(WindowId id, const Shape& shape) {
  return windows_.setShape(id, shape);
}

void SimDesktop::clearText(WindowId id) { windows_.clearText(id); }

void SimDesktop::printText(WindowId id, std::string_view text, double x, double y,
                           const Font& font) {
  windows_.printText(id, text, x, y, font);
}

ControlId SimDesktop::addControl(WindowId id, const ControlDesc& desc) {
  return windows_.addControl(id, desc);
}

void SimDesktop::setControlGeometry(WindowId id, ControlId control, const Twips& g) {
  windows_.setControlGeometry(id, control, g);
}

void SimDesktop::setText(WindowId id, ControlId control, std::string_view text) {
  windows_.setText(id, control, text);
}

void SimDesktop::setVisible(WindowId id, ControlId control, bool visible) {
  windows_.setVisible(id, control, visible);
}

void SimDesktop::setToolTip(WindowId id, ControlId control, std::string_view tip) {
  windows_.setToolTip(id, control, tip);
}

MenuId SimDesktop::createMenu(WindowId owner, const std::vector<MenuItemDesc>& items) {
  return windows_.createMenu(owner, items);
}

void SimDesktop::setMenuItemVisible(MenuId id, int item, bool visible) {
  windows_.setMenuItemVisible(id, item, visible);
}

TimerId SimDesktop::createTimer(WindowId owner, std::string_view name, std::function<void()> tick) {
  return windows_.createTimer(owner, name, std::move(tick));
}

void SimDesktop::setTimer(TimerId id, bool enabled, int intervalMs) {
  windows_.setTimer(id, enabled, intervalMs);
}

void SimDesktop::destroyTimer(TimerId id) { windows_.destroyTimer(id); }

const SimDesktop::WindowState* SimDesktop::findWindow(std::string_view name) const {
  return windows_.find(name);
}

const SimDesktop::WindowState* SimDesktop::window(WindowId id) const { return windows_.window(id); }

std::vector<const SimDesktop::WindowState*> SimDesktop::windows() const { return windows_.all(); }

std::vector<const SimDesktop::WindowState*> SimDesktop::stacking() const {
  return windows_.stacking();
}

const SimDesktop::TimerState* SimDesktop::findTimer(std::string_view name) const {
  return windows_.findTimer(name);
}

const SimDesktop::TimerState* SimDesktop::timer(TimerId id) const { return windows_.timer(id); }

// ---- dialogs and input: the player --------------------------------------

std::optional<int> SimDesktop::popupMenu(MenuId id) { return player_.popupMenu(id); }

MsgAnswer SimDesktop::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  return player_.messageBox(text, buttons, icon);
}

void SimDesktop::chooseMenuItem(std::string_view itemName) { player_.chooseMenuItem(itemName); }
void SimDesktop::answer(MsgAnswer a) { player_.answer(a); }
bool SimDesktop::menuOpen() const { return player_.menuOpen(); }
bool SimDesktop::messageBoxOpen() const { return player_.messageBoxOpen(); }

void SimDesktop::press(std::string_view window, std::string_view control, MouseButton button) {
  player_.input(sim::Player::Action::Press, window, control, button);
}

void SimDesktop::release(std::string_view window, std::string_view control, MouseButton button) {
  player_.input(sim::Player::Action::Release, window, control, button);
}

void SimDesktop::click(std::string_view window, std::string_view control) {
  player_.input(sim::Player::Action::Click, window, control);
}

void SimDesktop::hover(std::string_view window, std::string_view control) {
  player_.input(sim::Player::Action::Hover, window, control);
}

void SimDesktop::close(std::string_view window) {
  player_.input(sim::Player::Action::Close, window, "");
}

void SimDesktop::endSession() { player_.endSession(); }

void SimDesktop::changeScreen(const ScreenMetrics& screen) {
  if (ended()) return;
  if (!clock_.inGame()) {
    clock_.at(now(), [this, screen] { changeScreen(screen); });
    return;
  }
  options_.screen = screen;
  emit(traceLine("screen")
           .integer("width", screen.widthPx)
           .integer("height", screen.heightPx)
           .integer("workAreaBottom", screen.workAreaBottomPx)
           .integer("twipsPerPixel", screen.twipsPerPixel));
  if (player_.sink() != nullptr) player_.sink()->screenChanged();
}

// ---- the clock and the trace -------------------------------------------

void SimDesktop::processPending() { clock_.processPending(); }

void SimDesktop::waitUntil(Ms deadline, const std::function<bool()>& done) {
  clock_.waitUntil(deadline, done);
}

bool SimDesktop::run(Ms deadline) { return clock_.run(deadline); }

void SimDesktop::shutdown() { clock_.shutdown(); }

void SimDesktop::at(Ms t, std::function<void()> action) { clock_.at(t, std::move(action)); }

void SimDesktop::onEvent(std::string_view ev, std::function<void()> action, Ms delay) {
  onEvent(EventFilter{std::string(ev), std::string(), 1}, std::move(action), delay);
}

void SimDesktop::onEvent(EventFilter filter, std::function<void()> action, Ms delay) {
  trace_.onEvent(std::move(filter), std::move(action), delay);
}

void SimDesktop::onEveryEvent(std::function<bool(std::string_view)> match,
                              std::function<void()> action, Ms delay) {
  onEveryEvent({}, std::move(match), std::move(action), delay);
}

void SimDesktop::onEveryEvent(std::string_view ev, std::function<bool(std::string_view)> match,
                              std::function<void()> action, Ms delay) {
  trace_.onEveryEvent(ev, std::move(match), std::move(action), delay);
}

void SimDesktop::streamTraceTo(std::ostream* out) { trace_.streamTo(out); }

// ---- settings, moments, the end ----------------------------------------

std::string SimDesktop::programFolder() const { return options_.folder; }

std::optional<std::string> SimDesktop::readProfileString(std::string_view section,
                                                         std::string_view key,
                                                         const std::string& path) {
  return files::readValue(section, key, path);
}

bool SimDesktop::writeProfileString(std::string_view section, std::string_view key,
                                    std::string_view value, const std::string& path) {
  // A simulated session cannot lose power; the disk flush would cost
  // most of a fast run's time.
  const bool ok = files::writeValue(section, key, value, path, files::Keep::ThroughKill);
  // Only the file's name: the trace must not depend on where the run happens.
  emit(traceLine("write")
           .str("file", std::filesystem::path(path).filename().string())
           .str("section", section)
           .str("key", key)
           .str("value", value)
           .boolean("ok", ok));
  return ok;
}

void SimDesktop::mark(Moment m) { emit(traceLine(MomentName(m))); }

void SimDesktop::endProgram() {
  if (!ended()) emit(traceLine("end"));
  clock_.end();
  throw Ended{};
}

}  // namespace kelvory
