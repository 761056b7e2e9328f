#include "platform/core/desktop_core.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/core/moments.h"
#include "platform/profile.h"

namespace kelvory {
namespace {

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

// The signals of one change come within this.
constexpr int kScreenSettleMs = 1;

}  // namespace

template <class F>
void DesktopCore::enterGame(F&& f) {
  const DepthGuard guard(depth_);
  f();
}

template <class F>
void DesktopCore::toSink(F&& f) {
  if (sink_ == nullptr) return;
  enterGame([&] { f(*sink_); });
}

DesktopCore::DesktopCore() : trace_(std::getenv("KELVORY_TRACE") != nullptr) {}

DesktopCore::~DesktopCore() { closeAll(); }

void DesktopCore::closeAll() {
  timers_.clear();
  menus_.clear();
  windows_.clear();
  last_ = nullptr;
  graveyard_.clear();
}

void DesktopCore::setInputSink(InputSink* sink) { sink_ = sink; }

void DesktopCore::screenChanged() {
  for (const auto& [id, w] : windows_) w->relayout(true);
  toSink([](InputSink& s) { s.screenChanged(); });
}

void DesktopCore::noteScreenChange() {
  if (screenNoted_) return;
  screenNoted_ = true;
  startTimer(kScreenTimer, kScreenSettleMs);
}

void DesktopCore::sessionEnding() {
  toSink([](InputSink& s) { s.sessionEnding(); });
}

void DesktopCore::coverFigures(bool covered) {
  if (covered == covered_) return;
  covered_ = covered;
  for (const auto& [id, w] : windows_) w->setCovered(covered);
  if (trace_)
    writeLog(covered ? "kelvory: fullscreen window in front\n"
                     : "kelvory: fullscreen window gone\n");
}

// --- windows ------------------------------------------------------------------

NativeWindow* DesktopCore::window(WindowId id) const {
  if (id == lastId_ && last_ != nullptr) return last_;
  const auto it = windows_.find(id);
  if (it == windows_.end()) return nullptr;
  lastId_ = id;
  last_ = it->second.get();
  return last_;
}

WindowId DesktopCore::createWindow(const WindowDesc& desc) {
  const WindowId id = nextWindow_++;
  std::unique_ptr<NativeWindow> w = makeWindow(id, desc);
  w->setCovered(covered_);
  windows_.emplace(id, std::move(w));
  applyModality();
  return id;
}

void DesktopCore::destroyWindow(WindowId id) {
  const auto it = windows_.find(id);
  if (it == windows_.end()) return;
  std::unique_ptr<NativeWindow> gone = std::move(it->second);
  windows_.erase(it);
  if (id == lastId_) last_ = nullptr;
  for (auto t = timers_.begin(); t != timers_.end();) {
    if (t->second.owner != id) {
      ++t;
      continue;
    }
    stopTimer(t->first);
    t = timers_.erase(t);
  }
  if (openMenu_) {
    const auto open = menus_.find(*openMenu_);
    if (open != menus_.end() && open->second.owner == id) closeMenu();
  }
  std::erase_if(menus_, [&](const auto& entry) { return entry.second.owner == id; });
  std::erase_if(captures_, [&](const auto& entry) { return entry.second.window == id; });
  // The others come back before the modal one goes, so that activation
  // passes to one of ours.
  std::erase(modals_, id);
  applyModality();
  gone->retire();
  graveyard_.push_back(std::move(gone));
  collectGarbage();
}

void DesktopCore::collectGarbage() {
  if (depth_ != 0 || graveyard_.empty()) return;
  const std::vector<std::unique_ptr<NativeWindow>> dead = std::move(graveyard_);
  graveyard_.clear();
}

void DesktopCore::applyModality() {
  const WindowId top = modals_.empty() ? 0 : modals_.back();
  for (const auto& [id, w] : windows_) w->allowInput(top == 0 || id == top);
}

void DesktopCore::setGeometry(WindowId id, const Twips& geometry) {
  if (auto* w = window(id)) w->setTwips(geometry);
}

void DesktopCore::show(WindowId id) {
  auto* w = window(id);
  if (w == nullptr) return;
  if (std::erase(modals_, id) != 0) applyModality();
  w->setWanted(true, false);
}

void DesktopCore::showModal(WindowId id) {
  auto* w = window(id);
  if (w == nullptr) return;
  std::erase(modals_, id);
  modals_.push_back(id);
  applyModality();
  w->setWanted(true, true);
}

void DesktopCore::hide(WindowId id) {
  auto* w = window(id);
  if (w == nullptr) return;
  // A hidden modal window would block everything with nothing to click.
  if (std::erase(modals_, id) != 0) applyModality();
  w->setWanted(false, false);
}

void DesktopCore::sendToBack(WindowId id) {
  if (auto* w = window(id)) w->sendToBack();
}

void DesktopCore::bringToFront(WindowId id) {
  if (auto* w = window(id)) w->bringToFront();
}

void DesktopCore::setBackColor(WindowId id, ControlId control, Rgb colour) {
  if (auto* w = window(id)) w->setBack(control, colour);
}

void DesktopCore::setPicture(WindowId id, ControlId control, const Picture& picture) {
  if (auto* w = window(id)) w->setPicture(control, picture);
}

ShapeResult DesktopCore::setShape(WindowId id, const Shape& shape) {
  auto* w = window(id);
  if (w == nullptr) return ShapeResult::Ok;
  return w->setShape(shape);
}

void DesktopCore::clearText(WindowId id) {
  if (auto* w = window(id)) w->clearPrinted();
}

void DesktopCore::printText(WindowId id, std::string_view text, double x, double y,
                            const Font& font) {
  if (auto* w = window(id)) w->print(text, x, y, font);
}

// --- controls -----------------------------------------------------------------

ControlId DesktopCore::addControl(WindowId id, const ControlDesc& desc) {
  auto* w = window(id);
  return w ? w->addControl(desc) : kSurface;
}

void DesktopCore::setControlGeometry(WindowId id, ControlId control, const Twips& box) {
  if (auto* w = window(id)) w->setControlBox(control, box);
}

void DesktopCore::setText(WindowId id, ControlId control, std::string_view text) {
  if (auto* w = window(id)) w->setControlText(control, text);
}

void DesktopCore::setVisible(WindowId id, ControlId control, bool visible) {
  if (auto* w = window(id)) w->setControlVisible(control, visible);
}

void DesktopCore::setToolTip(WindowId id, ControlId control, std::string_view tip) {
  if (auto* w = window(id)) w->setControlToolTip(control, tip);
}

// --- input ----------------------------------------------------------------------

void DesktopCore::mouseDown(WindowId id, ControlId control, MouseButton button) {
  if (window(id) == nullptr) return;
  captures_[button] = {id, control};
  toSink([&](InputSink& s) { s.mouseDown(id, control, button); });
}

void DesktopCore::mouseUp(WindowId id, ControlId control, MouseButton button) {
  // The release goes to the control that took the press.
  Capture target{id, control};
  if (const auto it = captures_.find(button); it != captures_.end()) {
    target = it->second;
    captures_.erase(it);
  }
  if (window(target.window) == nullptr) return;
  toSink([&](InputSink& s) { s.mouseUp(target.window, target.control, button); });
}

std::optional<DesktopCore::Capture> DesktopCore::captureOf(MouseButton button) const {
  const auto it = captures_.find(button);
  if (it == captures_.end()) return std::nullopt;
  return it->second;
}

void DesktopCore::mouseMove(WindowId id, ControlId control) {
  if (window(id) == nullptr) return;
  toSink([&](InputSink& s) { s.mouseMove(id, control); });
}

void DesktopCore::clicked(WindowId id, ControlId control) {
  if (window(id) == nullptr) return;
  toSink([&](InputSink& s) { s.clicked(id, control); });
}

void DesktopCore::closeRequested(WindowId id) {
  if (window(id) == nullptr) return;
  toSink([&](InputSink& s) { s.closeRequested(id); });
}

// --- menus and message boxes ---------------------------------------------------------

MenuId DesktopCore::createMenu(WindowId owner, const std::vector<MenuItemDesc>& items) {
  if (window(owner) == nullptr) return 0;
  const MenuId id = nextMenu_++;
  menus_.emplace(id, Menu{owner, items});
  return id;
}

void DesktopCore::setMenuItemVisible(MenuId id, int item, bool visible) {
  const auto it = menus_.find(id);
  if (it == menus_.end() || item < 0 || static_cast<std::size_t>(item) >= it->second.items.size()) {
    return;
  }
  it->second.items[static_cast<std::size_t>(item)].visible = visible;
}

std::optional<int> DesktopCore::popupMenu(MenuId id) {
  const auto it = menus_.find(id);
  if (it == menus_.end()) return std::nullopt;
  NativeWindow* owner = window(it->second.owner);
  if (owner == nullptr) return std::nullopt;
  // Copied: the game may drop the menu while it is open.
  const std::vector<MenuItemDesc> items = it->second.items;
  std::optional<int> chosen;
  {
    // The menu's own loop runs game code; the owner must outlive it even
    // if the game destroys it meanwhile.
    const DepthGuard guard(depth_);
    openMenu_ = id;
    chosen = trackMenu(*owner, items);
    openMenu_.reset();
  }
  collectGarbage();
  if (!menus_.contains(id)) return std::nullopt;
  return chosen;
}

const DesktopCore::Menu* DesktopCore::menuOf(MenuId id) const {
  const auto it = menus_.find(id);
  return it == menus_.end() ? nullptr : &it->second;
}

MsgAnswer DesktopCore::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  MsgAnswer answer = MsgAnswer::Ok;
  {
    const DepthGuard guard(depth_);
    answer = showMessageBox(text, buttons, icon);
  }
  // A task-modal box may have let every window take input again.
  applyModality();
  collectGarbage();
  return answer;
}

// --- timers and waiting --------------------------------------------------------------

TimerId DesktopCore::createTimer(WindowId owner, std::string_view name,
                                 std::function<void()> tick) {
  const TimerId id = nextTimer_++;
  if (window(owner) != nullptr) {
    timers_.emplace(id, Timer{.owner = owner, .name = std::string(name), .tick = std::move(tick)});
  }
  return id;
}

const DesktopCore::Timer* DesktopCore::timerOf(TimerId id) const {
  const auto it = timers_.find(id);
  return it == timers_.end() ? nullptr : &it->second;
}

void DesktopCore::setTimer(TimerId id, bool enabled, int intervalMs) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  Timer& timer = it->second;
  // Turning a timer on or changing its interval restarts the count;
  // switching on again a timer that runs at that interval changes nothing.
  const bool restart = enabled && (!timer.enabled || intervalMs != timer.interval);
  timer.enabled = enabled;
  timer.interval = intervalMs;
  if (!enabled || restart) stopTimer(id);
  if (restart && intervalMs > 0) startTimer(id, intervalMs);
}

void DesktopCore::destroyTimer(TimerId id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  stopTimer(id);
  timers_.erase(it);
}

void DesktopCore::onTimer(TimerId id) {
  if (id == kScreenTimer) {
    stopTimer(id);
    screenNoted_ = false;
    readScreen();
    DesktopCore::screenChanged();
    return;
  }
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  // The handler may destroy the timer and with it the stored function.
  const std::function<void()> tick = it->second.tick;
  enterGame([&] { tick(); });
}

void DesktopCore::processPending() {
  collectGarbage();
  dispatchQueued([] { return false; });
  collectGarbage();
}

// --- settings and the rest -----------------------------------------------------------

std::optional<std::string> DesktopCore::readProfileString(std::string_view section,
                                                          std::string_view key,
                                                          const std::string& path) {
  return files::readValue(section, key, path);
}

bool DesktopCore::writeProfileString(std::string_view section, std::string_view key,
                                     std::string_view value, const std::string& path) {
  return files::writeValue(section, key, value, path);
}

void DesktopCore::mark(Moment moment) {
  if (!trace_) return;
  std::array<char, 96> line{};
  const std::string_view name = MomentName(moment);
  std::snprintf(line.data(), line.size(), "kelvory: %lld ms %.*s\n", static_cast<long long>(now()),
                static_cast<int>(name.size()), name.data());
  writeLog(line.data());
}

}  // namespace kelvory
