#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

#include "platform/core/moments.h"
#include "platform/profile.h"
#include "platform/sim/recording_window.h"

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
      clock_([this] { waitUntil(kNever, [] { return false; }); }),
      trace_(clock_, options_.keepTrace),
      player_(*this, screen_, trace_) {}

SimDesktop::~SimDesktop() {
  shutdown();
  // The windows leave the screen while it is still there.
  closeAll();
}

// ---- screen, clock -----------------------------------------------------

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

// ---- beneath the core: windows, menus, message boxes, timers -----------

std::unique_ptr<NativeWindow> SimDesktop::makeWindow(WindowId id, const WindowDesc& desc) {
  return std::make_unique<sim::RecordingWindow>(id, desc, screen_, trace_);
}

std::optional<int> SimDesktop::trackMenu(NativeWindow& owner,
                                         const std::vector<MenuItemDesc>& items) {
  // Every window this desktop makes is a recording one.
  const auto& window = static_cast<const sim::RecordingWindow&>(owner);
  return player_.popupMenu(window.state().created.name, items);
}

void SimDesktop::closeMenu() { player_.closeMenu(); }

MsgAnswer SimDesktop::showMessageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  return player_.messageBox(text, buttons, icon);
}

void SimDesktop::startTimer(TimerId id, int intervalMs) {
  const Ticking ticking{id, intervalMs, ++generations_};
  const auto running =
      std::find_if(ticking_.begin(), ticking_.end(), [id](const Ticking& t) { return t.id == id; });
  if (running == ticking_.end()) {
    ticking_.push_back(ticking);
  } else {
    *running = ticking;
  }
  scheduleTick(ticking);
}

void SimDesktop::stopTimer(TimerId id) {
  std::erase_if(ticking_, [id](const Ticking& t) { return t.id == id; });
}

void SimDesktop::scheduleTick(const Ticking& ticking) {
  // The generation alone names the start, which keeps the action small
  // enough for std::function to hold without allocating.
  clock_.at(now() + ticking.interval,
            [this, generation = ticking.generation] { tick(generation); });
}

void SimDesktop::tick(std::uint64_t generation) {
  const auto it = std::find_if(ticking_.begin(), ticking_.end(), [generation](const Ticking& t) {
    return t.generation == generation;
  });
  if (it == ticking_.end()) return;
  // The next tick is due one interval after this one, however long the
  // handler takes.
  const TimerId id = it->id;
  scheduleTick(*it);
  onTimer(id);
}

void SimDesktop::setTimer(TimerId id, bool enabled, int intervalMs) {
  DesktopCore::setTimer(id, enabled, intervalMs);
  if (!trace_.reads("timer")) return;  // the common case: nobody looks up the owner
  const Timer* timer = timerOf(id);
  if (timer == nullptr) return;
  emit(traceLine("timer")
           .str("win", screen_.nameOf(timer->owner))
           .str("ctrl", timer->name)
           .boolean("enabled", enabled)
           .integer("interval", intervalMs));
}

void SimDesktop::setMenuItemVisible(MenuId id, int item, bool visible) {
  DesktopCore::setMenuItemVisible(id, item, visible);
  const Menu* menu = menuOf(id);
  if (menu == nullptr || item < 0 || static_cast<std::size_t>(item) >= menu->items.size()) return;
  emit(traceLine("visible")
           .str("win", screen_.nameOf(menu->owner))
           .str("item", menu->items[static_cast<std::size_t>(item)].name)
           .boolean("visible", visible));
}

const SimDesktop::WindowState* SimDesktop::findWindow(std::string_view name) const {
  return screen_.find(name);
}

const SimDesktop::WindowState* SimDesktop::window(WindowId id) const { return screen_.window(id); }

std::vector<const SimDesktop::WindowState*> SimDesktop::windows() const { return screen_.all(); }

std::vector<const SimDesktop::WindowState*> SimDesktop::stacking() const {
  return screen_.stacking();
}

// ---- the user: input and the answers to dialogs ----------------------------

void SimDesktop::chooseMenuItem(std::string_view itemName) {
  if (!ended()) player_.chooseMenuItem(itemName);
}

void SimDesktop::answer(MsgAnswer a) {
  if (!ended()) player_.answer(a);
}

bool SimDesktop::menuOpen() const { return player_.menuOpen(); }
bool SimDesktop::messageBoxOpen() const { return player_.messageBoxOpen(); }

void SimDesktop::input(Action action, std::string_view window, std::string_view control,
                       MouseButton button) {
  if (ended()) return;
  if (!clock_.inGame()) {
    clock_.at(now(), [this, action, w = std::string(window), c = std::string(control), button] {
      input(action, w, c, button);
    });
    return;
  }
  std::optional<sim::Player::Target> target;
  if (action == Action::Release) {
    // The control that took the press takes the release, wherever it is.
    if (const auto pressed = captureOf(button)) {
      target = sim::Player::Target{pressed->window, pressed->control};
    }
  }
  if (!target) target = player_.aim(action, window, control);
  if (!target) return;
  if (!hasInputSink()) {
    trace_.error("no input sink");
    return;
  }
  player_.traceInput(action, *target, button);
  InputSink& to = reports();
  switch (action) {
    case Action::Press:
      to.mouseDown(target->window, target->control, button);
      break;
    case Action::Release:
      to.mouseUp(target->window, target->control, button);
      break;
    case Action::Click:
      to.clicked(target->window, target->control);
      break;
    case Action::Hover:
      to.mouseMove(target->window, target->control);
      break;
    case Action::Close:
      to.closeRequested(target->window);
      break;
  }
}

void SimDesktop::press(std::string_view window, std::string_view control, MouseButton button) {
  input(Action::Press, window, control, button);
}

void SimDesktop::release(std::string_view window, std::string_view control, MouseButton button) {
  input(Action::Release, window, control, button);
}

void SimDesktop::click(std::string_view window, std::string_view control) {
  input(Action::Click, window, control);
}

void SimDesktop::hover(std::string_view window, std::string_view control) {
  input(Action::Hover, window, control);
}

void SimDesktop::close(std::string_view window) { input(Action::Close, window, ""); }

void SimDesktop::endSession() {
  if (ended()) return;
  if (!clock_.inGame()) {
    clock_.at(now(), [this] { endSession(); });
    return;
  }
  if (!hasInputSink()) {
    trace_.error("no input sink");
    return;
  }
  // The session ends whatever dialog is open.
  emit(traceLine("input").str("action", "end-session").str("win", ""));
  sessionEnding();
}

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
  screenChanged();
}

// ---- the clock and the trace -------------------------------------------

void SimDesktop::dispatchQueued(const std::function<bool()>& done) { clock_.runDue(done); }

void SimDesktop::waitForEvents(Ms deadline) { clock_.step(deadline); }

void SimDesktop::waitUntil(Ms deadline, const std::function<bool()>& done) {
  if (ended() || done()) return;
  if (!clock_.inGame()) {
    clock_.run(deadline);
    return;
  }
  DesktopCore::waitUntil(deadline, done);
}

bool SimDesktop::run(Ms deadline) {
  if (!clock_.inGame()) return clock_.run(deadline);
  waitUntil(deadline, [] { return false; });
  return !ended();
}

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

void SimDesktop::mark(Moment m) {
  // Every fight half-step marks one: a plain check before any line is begun.
  const std::string_view name = MomentName(m);
  if (trace_.reads(name)) emit(traceLine(name));
}

void SimDesktop::endProgram() {
  if (!ended()) emit(traceLine("end"));
  clock_.end();
  throw Ended{};
}

}  // namespace kelvory
