#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <utility>

#include "platform/profile.h"
#include "platform/sim/game_fiber.h"
#include "platform/sim/trace.h"

namespace kelvory {

namespace {

std::string_view momentName(Moment m) {
  switch (m) {
    case Moment::Bite:
      return "bite";
    case Moment::StrikeWindowClosed:
      return "strike-closed";
    case Moment::MeterStep:
      return "meter";
    case Moment::FlightStep:
      return "flight";
    case Moment::FightHalfStep:
      return "fight";
  }
  return "moment";
}

std::string_view buttonName(MouseButton b) {
  switch (b) {
    case MouseButton::Left:
      return "left";
    case MouseButton::Right:
      return "right";
    case MouseButton::Middle:
      return "middle";
  }
  return "left";
}

std::string_view answerName(MsgAnswer a) {
  switch (a) {
    case MsgAnswer::Ok:
      return "ok";
    case MsgAnswer::Yes:
      return "yes";
    case MsgAnswer::No:
      return "no";
  }
  return "ok";
}

std::string_view iconName(MsgIcon i) {
  switch (i) {
    case MsgIcon::None:
      return "none";
    case MsgIcon::Question:
      return "question";
    case MsgIcon::Warning:
      return "warning";
    case MsgIcon::Error:
      return "error";
  }
  return "none";
}

std::string rgbText(Rgb c) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "#";
  for (const int part : {c.r, c.g, c.b}) {
    text += kHex[(part >> 4) & 15];
    text += kHex[part & 15];
  }
  return text;
}

bool isSurfaceName(std::string_view name) { return name.empty() || name == "surface"; }

// Pops the entry a scope pushed, also when the program ends under it.
template <class T>
class PopOnExit {
 public:
  explicit PopOnExit(std::vector<T>& v) : v_(v) {}
  ~PopOnExit() { v_.pop_back(); }
  PopOnExit(const PopOnExit&) = delete;
  PopOnExit& operator=(const PopOnExit&) = delete;

 private:
  std::vector<T>& v_;
};

}  // namespace

const SimDesktop::ControlState* SimDesktop::WindowState::control(std::string_view name) const {
  if (isSurfaceName(name)) return nullptr;
  for (const ControlState& c : controls) {
    if (c.created.name == name) return &c;
  }
  return nullptr;
}

const SimDesktop::ControlState* SimDesktop::WindowState::control(ControlId id) const {
  if (id == kSurface || id > controls.size()) return nullptr;
  return &controls[id - 1];
}

SimDesktop::SimDesktop() : SimDesktop(Options{}) {}

SimDesktop::SimDesktop(Options options) : options_(std::move(options)) {
  if (options_.folder.empty()) {
    std::error_code ec;
    const auto here = std::filesystem::current_path(ec);
    options_.folder = ec ? std::string(".") : here.string();
  }
  noteReaders();
}

SimDesktop::~SimDesktop() { shutdown(); }

// ---- trace -------------------------------------------------------------

bool SimDesktop::readsSome(std::string_view ev) const {
  return std::any_of(readEvs_.begin(), readEvs_.end(), [ev](const std::string& e) {
    return e.size() == ev.size() && std::string_view(e) == ev;
  });
}

void SimDesktop::noteReaders() {
  readsEvery_ =
      options_.keepTrace || stream_ != nullptr ||
      std::any_of(watches_.begin(), watches_.end(), [](const Watch& w) { return w.ev.empty(); });
  readEvs_.clear();
  const auto note = [this](const std::string& ev) {
    if (std::find(readEvs_.begin(), readEvs_.end(), ev) == readEvs_.end()) readEvs_.push_back(ev);
  };
  for (const Watch& w : watches_) note(w.ev);
  for (const Hook& h : hooks_) note(h.filter.ev);
}

void SimDesktop::streamTraceTo(std::ostream* out) {
  stream_ = out;
  noteReaders();
}

void SimDesktop::record(const sim::TraceLine& line) {
  if (ended_) return;  // after "end" nothing is shown
  const std::string text = line.text();
  if (options_.keepTrace) trace_.push_back(text);
  if (stream_ != nullptr) *stream_ << text << '\n';
  // Armed reactions are queued, not run here: the game is in the middle of
  // the call that wrote the line.
  std::vector<Hook> fired;
  for (auto it = hooks_.begin(); it != hooks_.end();) {
    const EventFilter& f = it->filter;
    if (f.ev == line.ev() && (f.window.empty() || f.window == line.win()) && --it->remaining <= 0) {
      fired.push_back(std::move(*it));
      it = hooks_.erase(it);
    } else {
      ++it;
    }
  }
  if (!fired.empty()) noteReaders();
  for (Hook& h : fired) at(now_ + h.delay, std::move(h.action));
  for (std::size_t i = 0; i < watches_.size(); ++i) {
    const Watch& w = watches_[i];
    if ((w.ev.empty() || w.ev == line.ev()) && w.match(text)) at(now_ + w.delay, w.action);
  }
}

void SimDesktop::error(std::string_view message) {
  emit(traceLine("error").str("message", message));
}

// ---- lookups -----------------------------------------------------------

SimDesktop::WindowState* SimDesktop::liveWindow(WindowId id) {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

SimDesktop::ControlState* SimDesktop::liveControl(WindowId id, ControlId control) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || control == kSurface || control > w->controls.size()) return nullptr;
  return &w->controls[control - 1];
}

const std::string& SimDesktop::controlName(const WindowState& w, ControlId control) const {
  static const std::string surface;
  const ControlState* c = w.control(control);
  return c == nullptr ? surface : c->created.name;
}

const SimDesktop::WindowState* SimDesktop::findWindow(std::string_view name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (it->second.created.name == name) return &it->second;
  }
  return nullptr;
}

const SimDesktop::WindowState* SimDesktop::window(WindowId id) const {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

std::vector<const SimDesktop::WindowState*> SimDesktop::windows() const {
  std::vector<const WindowState*> out;
  for (const auto& [id, w] : windows_) out.push_back(&w);
  return out;
}

std::vector<const SimDesktop::WindowState*> SimDesktop::stacking() const {
  std::vector<const WindowState*> out;
  for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it) out.push_back(window(*it));
  return out;
}

const SimDesktop::TimerState* SimDesktop::findTimer(std::string_view name) const {
  for (auto it = timers_.rbegin(); it != timers_.rend(); ++it) {
    if (it->second.state.name == name) return &it->second.state;
  }
  return nullptr;
}

const SimDesktop::TimerState* SimDesktop::timer(TimerId id) const {
  const auto it = timers_.find(id);
  return it == timers_.end() ? nullptr : &it->second.state;
}

// ---- screen, clock -----------------------------------------------------

void SimDesktop::setInputSink(InputSink* sink) { sink_ = sink; }

ScreenMetrics SimDesktop::metrics() const { return options_.screen; }

Desktop::Ms SimDesktop::now() const { return now_; }

LocalTime SimDesktop::localTime() const {
  using namespace std::chrono;
  const sys_days start{year{2000} / January / 1};
  const auto moment = start + milliseconds{now_};
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

// ---- windows -----------------------------------------------------------

WindowId SimDesktop::createWindow(const WindowDesc& desc) {
  const WindowId id = nextWindow_++;
  WindowState w;
  w.id = id;
  w.created = desc;
  w.geometry = desc.geometry;
  w.back = desc.back;
  windows_.emplace(id, std::move(w));
  zOrder_.push_back(id);
  emit(traceLine("load").str("win", desc.name).integer("id", id).str("rgb", rgbText(desc.back)));
  return id;
}

void SimDesktop::destroyWindow(WindowId id) {
  const auto it = windows_.find(id);
  if (it == windows_.end()) return;
  std::erase_if(timers_, [id](const auto& entry) { return entry.second.state.owner == id; });
  std::erase_if(menus_, [id](const auto& entry) { return entry.second.owner == id; });
  std::erase_if(captures_, [id](const auto& entry) { return entry.second.window == id; });
  std::erase(zOrder_, id);
  const std::string name = it->second.created.name;
  windows_.erase(it);
  emit(traceLine("unload").str("win", name));
}

void SimDesktop::setGeometry(WindowId id, const Twips& g) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || w->geometry == g) return;
  w->geometry = g;
  emit(traceLine("move")
           .str("win", w->created.name)
           .str("ctrl", "")
           .num("left", g.left)
           .num("top", g.top)
           .num("width", g.width)
           .num("height", g.height));
}

void SimDesktop::show(WindowId id) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || w->visible) return;
  w->visible = true;
  emit(traceLine("show").str("win", w->created.name));
}

void SimDesktop::showModal(WindowId id) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || (w->visible && w->modal)) return;
  w->visible = true;
  w->modal = true;
  emit(traceLine("show").str("win", w->created.name).boolean("modal", true));
}

void SimDesktop::hide(WindowId id) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || !w->visible) return;
  w->visible = false;
  w->modal = false;  // a hidden window no longer holds the input
  emit(traceLine("hide").str("win", w->created.name));
}

void SimDesktop::sendToBack(WindowId id) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || (!zOrder_.empty() && zOrder_.front() == id)) return;
  std::erase(zOrder_, id);
  zOrder_.insert(zOrder_.begin(), id);
  emit(traceLine("order").str("win", w->created.name).str("to", "back"));
}

void SimDesktop::bringToFront(WindowId id) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || (!zOrder_.empty() && zOrder_.back() == id)) return;
  std::erase(zOrder_, id);
  zOrder_.push_back(id);
  emit(traceLine("order").str("win", w->created.name).str("to", "front"));
}

void SimDesktop::setBackColor(WindowId id, ControlId control, Rgb colour) {
  WindowState* w = liveWindow(id);
  if (w == nullptr) return;
  Rgb* target = &w->back;
  if (control != kSurface) {
    ControlState* c = liveControl(id, control);
    if (c == nullptr) return;
    target = &c->back;
  }
  *target = colour;
  emit(traceLine("color")
           .str("win", w->created.name)
           .str("ctrl", controlName(*w, control))
           .str("rgb", rgbText(colour)));
}

void SimDesktop::setPicture(WindowId id, ControlId control, const Picture& picture) {
  WindowState* w = liveWindow(id);
  if (w == nullptr) return;
  std::string* source = &w->picture;
  const Bitmap** bitmap = &w->bitmap;
  if (control != kSurface) {
    ControlState* c = liveControl(id, control);
    if (c == nullptr) return;
    source = &c->picture;
    bitmap = &c->bitmap;
  }
  *source = picture.source;
  *bitmap = picture.bitmap;
  emit(traceLine("picture")
           .str("win", w->created.name)
           .str("ctrl", controlName(*w, control))
           .str("src", picture.source));
}

ShapeResult SimDesktop::setShape(WindowId id, const Shape& shape) {
  WindowState* w = liveWindow(id);
  if (w == nullptr) return ShapeResult::Ok;
  if (shapeResult_ != ShapeResult::Ok) return shapeResult_;
  ShapeInfo info{std::string(shape.table), shape.index, shape.rects.size()};
  w->shape = info;
  emit(traceLine("shape")
           .str("win", w->created.name)
           .str("table", info.table)
           .integer("index", info.index)
           .integer("rects", static_cast<std::int64_t>(info.rectCount)));
  return ShapeResult::Ok;
}

void SimDesktop::clearText(WindowId id) {
  WindowState* w = liveWindow(id);
  if (w == nullptr || w->texts.empty()) return;
  w->texts.clear();
  emit(traceLine("text").str("win", w->created.name).str("ctrl", "").boolean("clear", true));
}

void SimDesktop::printText(WindowId id, std::string_view text, double x, double y,
                           const Font& font) {
  WindowState* w = liveWindow(id);
  if (w == nullptr) return;
  w->texts.push_back(PrintedText{std::string(text), x, y, font});
  emit(traceLine("text")
           .str("win", w->created.name)
           .str("ctrl", "")
           .num("x", x)
           .num("y", y)
           .str("text", text));
}

// ---- controls ----------------------------------------------------------

ControlId SimDesktop::addControl(WindowId id, const ControlDesc& desc) {
  WindowState* w = liveWindow(id);
  if (w == nullptr) return kSurface;
  ControlState c;
  c.id = static_cast<ControlId>(w->controls.size() + 1);
  c.created = desc;
  c.geometry = desc.box;
  c.line = desc.line;
  c.text = desc.text;
  c.visible = desc.visible;
  c.back = desc.back;
  w->controls.push_back(std::move(c));
  return w->controls.back().id;
}

void SimDesktop::setControlGeometry(WindowId id, ControlId control, const Twips& g) {
  if (control == kSurface) {
    setGeometry(id, g);
    return;
  }
  ControlState* c = liveControl(id, control);
  if (c == nullptr || c->geometry == g) return;
  c->geometry = g;
  emit(traceLine("move")
           .str("win", liveWindow(id)->created.name)
           .str("ctrl", c->created.name)
           .num("left", g.left)
           .num("top", g.top)
           .num("width", g.width)
           .num("height", g.height));
}

void SimDesktop::setText(WindowId id, ControlId control, std::string_view text) {
  WindowState* w = liveWindow(id);
  if (w == nullptr) return;
  std::string* target = &w->created.caption;  // the surface's text is the caption
  if (control != kSurface) {
    ControlState* c = liveControl(id, control);
    if (c == nullptr) return;
    target = &c->text;
  }
  *target = text;
  emit(traceLine("text")
           .str("win", w->created.name)
           .str("ctrl", controlName(*w, control))
           .str("text", text));
}

void SimDesktop::setVisible(WindowId id, ControlId control, bool visible) {
  if (control == kSurface) {
    if (visible) {
      show(id);
    } else {
      hide(id);
    }
    return;
  }
  ControlState* c = liveControl(id, control);
  if (c == nullptr) return;
  c->visible = visible;
  emit(traceLine("visible")
           .str("win", liveWindow(id)->created.name)
           .str("ctrl", c->created.name)
           .boolean("visible", visible));
}

void SimDesktop::setToolTip(WindowId id, ControlId control, std::string_view tip) {
  ControlState* c = liveControl(id, control);
  if (c == nullptr) return;
  c->toolTip = tip;
  emit(traceLine("tooltip")
           .str("win", liveWindow(id)->created.name)
           .str("ctrl", c->created.name)
           .str("text", tip));
}

// ---- menus and message boxes -------------------------------------------

MenuId SimDesktop::createMenu(WindowId owner, const std::vector<MenuItemDesc>& items) {
  if (liveWindow(owner) == nullptr) return 0;
  const MenuId id = nextMenu_++;
  menus_.emplace(id, Menu{owner, items});
  return id;
}

void SimDesktop::setMenuItemVisible(MenuId id, int item, bool visible) {
  const auto it = menus_.find(id);
  if (it == menus_.end() || item < 0 || static_cast<std::size_t>(item) >= it->second.items.size())
    return;
  MenuItemDesc& entry = it->second.items[static_cast<std::size_t>(item)];
  entry.visible = visible;
  const WindowState* owner = window(it->second.owner);
  emit(traceLine("visible")
           .str("win", owner != nullptr ? owner->created.name : std::string())
           .str("item", entry.name)
           .boolean("visible", visible));
}

void SimDesktop::waitForDialog(std::size_t index) {
  // A dialog blocks until it is answered, like a real one.
  waitUntil(kNever, [this, index] { return dialogs_[index].closed; });
}

std::optional<int> SimDesktop::popupMenu(MenuId id) {
  const auto it = menus_.find(id);
  if (it == menus_.end()) return std::nullopt;
  const WindowState* owner = window(it->second.owner);
  std::vector<std::string> names;
  for (const MenuItemDesc& item : it->second.items) {
    if (item.visible) names.push_back(item.name);
  }
  Dialog dialog;
  dialog.kind = DialogKind::Menu;
  dialog.items = it->second.items;
  dialogs_.push_back(std::move(dialog));
  const PopOnExit pop(dialogs_);
  const std::size_t index = dialogs_.size() - 1;
  emit(traceLine("menu")
           .str("win", owner != nullptr ? owner->created.name : std::string())
           .strings("items", names));
  waitForDialog(index);
  const Dialog& d = dialogs_[index];
  const std::optional<int> chosen = d.closed ? d.chosen : std::nullopt;
  sim::TraceLine line = traceLine("menu-closed");
  if (chosen) {
    line.str("item", d.items[static_cast<std::size_t>(*chosen)].name);
  } else {
    line.null("item");
  }
  emit(line);
  return chosen;
}

MsgAnswer SimDesktop::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  Dialog dialog;
  dialog.kind = DialogKind::MessageBox;
  dialog.buttons = buttons;
  dialogs_.push_back(std::move(dialog));
  const PopOnExit pop(dialogs_);
  const std::size_t index = dialogs_.size() - 1;
  emit(traceLine("msgbox")
           .str("text", text)
           .str("style", buttons == MsgButtons::YesNo ? "yesno" : "ok")
           .str("icon", iconName(icon)));
  waitForDialog(index);
  const Dialog& d = dialogs_[index];
  // Nobody answered: the cautious answer.
  const MsgAnswer result =
      d.closed ? d.answer : (buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok);
  emit(traceLine("msgbox-closed").str("answer", answerName(result)));
  return result;
}

SimDesktop::Dialog* SimDesktop::openDialog(DialogKind kind) {
  for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) {
    if (it->kind == kind && !it->closed) return &*it;
  }
  return nullptr;
}

bool SimDesktop::menuOpen() const {
  return std::any_of(dialogs_.begin(), dialogs_.end(),
                     [](const Dialog& d) { return d.kind == DialogKind::Menu && !d.closed; });
}

bool SimDesktop::messageBoxOpen() const {
  return std::any_of(dialogs_.begin(), dialogs_.end(),
                     [](const Dialog& d) { return d.kind == DialogKind::MessageBox && !d.closed; });
}

void SimDesktop::chooseMenuItem(std::string_view itemName) {
  if (ended_) return;
  Dialog* d = openDialog(DialogKind::Menu);
  if (d == nullptr) {
    error("no popup menu is open");
    return;
  }
  if (itemName == "none") {
    d->chosen = std::nullopt;
    d->closed = true;
    return;
  }
  for (std::size_t i = 0; i < d->items.size(); ++i) {
    const MenuItemDesc& item = d->items[i];
    if ((item.name == itemName || item.caption == itemName) && item.visible) {
      d->chosen = static_cast<int>(i);
      d->closed = true;
      return;
    }
  }
  error("no visible menu item " + std::string(itemName));
}

void SimDesktop::answer(MsgAnswer a) {
  if (ended_) return;
  Dialog* d = openDialog(DialogKind::MessageBox);
  if (d == nullptr) {
    error("no message box is open");
    return;
  }
  const bool fits = d->buttons == MsgButtons::Ok ? a == MsgAnswer::Ok : a != MsgAnswer::Ok;
  if (!fits) {
    error("the message box has no button " + std::string(answerName(a)));
    return;
  }
  d->answer = a;
  d->closed = true;
}

// ---- timers ------------------------------------------------------------

TimerId SimDesktop::createTimer(WindowId owner, std::string_view name, std::function<void()> tick) {
  if (liveWindow(owner) == nullptr) return 0;
  const TimerId id = nextTimer_++;
  Timer t;
  t.state.id = id;
  t.state.owner = owner;
  t.state.name = name;
  t.tick = std::make_shared<const std::function<void()>>(std::move(tick));
  timers_.emplace(id, std::move(t));
  return id;
}

void SimDesktop::scheduleTick(Timer& t, Ms from) {
  t.state.nextTick = from + t.state.interval;
  Event ev;
  ev.kind = EventKind::Tick;
  ev.timer = t.state.id;
  ev.generation = t.generation;
  schedule(*t.state.nextTick, std::move(ev));
}

void SimDesktop::setTimer(TimerId id, bool enabled, int intervalMs) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  Timer& t = it->second;
  const bool restart = (enabled && !t.state.enabled) || intervalMs != t.state.interval;
  t.state.enabled = enabled;
  t.state.interval = intervalMs;
  if (restart || !enabled) {
    ++t.generation;  // ticks already queued are stale now
    t.state.nextTick.reset();
    if (enabled && intervalMs > 0) scheduleTick(t, now_);
  }
  const WindowState* owner = window(t.state.owner);
  emit(traceLine("timer")
           .str("win", owner != nullptr ? owner->created.name : std::string())
           .str("ctrl", t.state.name)
           .boolean("enabled", enabled)
           .integer("interval", intervalMs));
}

void SimDesktop::destroyTimer(TimerId id) { timers_.erase(id); }

// ---- event loop --------------------------------------------------------

namespace {

template <class Queued>
bool Later(const Queued& a, const Queued& b) {
  return a.t != b.t ? a.t > b.t : a.sequence > b.sequence;
}

}  // namespace

void SimDesktop::schedule(Ms t, Event event) {
  queue_.push_back(Queued{std::max(t, now_), sequence_++, std::move(event)});
  std::push_heap(queue_.begin(), queue_.end(), Later<Queued>);
}

void SimDesktop::at(Ms t, std::function<void()> action) {
  Event ev;
  ev.kind = EventKind::Action;
  ev.action = std::move(action);
  schedule(t, std::move(ev));
}

void SimDesktop::onEvent(std::string_view ev, std::function<void()> action, Ms delay) {
  onEvent(EventFilter{std::string(ev), std::string(), 1}, std::move(action), delay);
}

void SimDesktop::onEveryEvent(std::function<bool(std::string_view)> match,
                              std::function<void()> action, Ms delay) {
  onEveryEvent({}, std::move(match), std::move(action), delay);
}

void SimDesktop::onEveryEvent(std::string_view ev, std::function<bool(std::string_view)> match,
                              std::function<void()> action, Ms delay) {
  watches_.push_back(
      Watch{std::string(ev), std::move(match), std::move(action), std::max<Ms>(delay, 0)});
  noteReaders();
}

void SimDesktop::onEvent(EventFilter filter, std::function<void()> action, Ms delay) {
  const int remaining = std::max(filter.occurrence, 1);
  hooks_.push_back(Hook{std::move(filter), remaining, std::max<Ms>(delay, 0), std::move(action)});
  noteReaders();
}

void SimDesktop::dispatch(Event& event) {
  if (event.kind == EventKind::Action) {
    if (event.action) event.action();
    return;
  }
  const auto it = timers_.find(event.timer);
  if (it == timers_.end() || it->second.generation != event.generation ||
      !it->second.state.enabled) {
    return;
  }
  // The next tick is due one interval after this one, however long the
  // handler takes.
  scheduleTick(it->second, now_);
  const auto tick = it->second.tick;
  if (*tick) (*tick)();
}

bool SimDesktop::dispatchNext(Ms deadline) {
  if (ended_ || queue_.empty()) return false;
  if (queue_.front().t > deadline) return false;
  std::pop_heap(queue_.begin(), queue_.end(), Later<Queued>);
  now_ = std::max(now_, queue_.back().t);
  Event event = std::move(queue_.back().event);
  queue_.pop_back();
  dispatch(event);
  return true;
}

void SimDesktop::processPending() {
  while (dispatchNext(now_)) {
  }
}

void SimDesktop::waitUntil(Ms deadline, const std::function<bool()>& done) {
  if (ended_ || done()) return;
  if (!fiber_ || !fiber_->inFiber()) {
    // Called from outside the game: the game runs on its own stack.
    run(deadline);
    return;
  }
  for (;;) {
    if (dispatchNext(std::min(deadline, limit_))) {
      if (done()) return;
      continue;
    }
    if (deadline <= limit_ && deadline != kNever) {
      // Nothing more is due by the deadline: the clock jumps to it.
      now_ = std::max(now_, deadline);
      return;
    }
    // The run's time is up, or nothing could ever happen: the waiting
    // handlers stay where they are until the next run.
    if (limit_ != kNever) now_ = std::max(now_, limit_);
    fiber_->suspend();
  }
}

void SimDesktop::gameLoop() {
  try {
    waitUntil(kNever, [] { return false; });
  } catch (const Ended&) {
  }
}

bool SimDesktop::run(Ms deadline) {
  if (ended_) return false;
  if (fiber_ && fiber_->inFiber()) {
    waitUntil(deadline, [] { return false; });
    return !ended_;
  }
  limit_ = deadline;
  if (!fiber_) fiber_ = std::make_unique<sim::GameFiber>([this] { gameLoop(); });
  fiber_->resume();
  return !ended_;
}

void SimDesktop::shutdown() { fiber_.reset(); }

bool SimDesktop::outsideGame(std::function<void()> action) {
  if (fiber_ && fiber_->inFiber()) return false;
  at(now_, std::move(action));
  return true;
}

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

void SimDesktop::mark(Moment m) { emit(traceLine(momentName(m))); }

void SimDesktop::endProgram() {
  if (!ended_) emit(traceLine("end"));
  ended_ = true;
  throw Ended{};
}

// ---- input -------------------------------------------------------------

std::optional<SimDesktop::Target> SimDesktop::target(std::string_view window,
                                                     std::string_view control) {
  const WindowState* w = findWindow(window);
  if (w == nullptr) {
    error("no window " + std::string(window));
    return std::nullopt;
  }
  if (isSurfaceName(control)) return Target{w, kSurface};
  const ControlState* c = w->control(control);
  if (c == nullptr) {
    error("no control " + std::string(control) + " in " + std::string(window));
    return std::nullopt;
  }
  return Target{w, c->id};
}

bool SimDesktop::accepts(const WindowState& w, std::string_view action, std::string_view control) {
  bool refused = !dialogs_.empty() && (menuOpen() || messageBoxOpen());
  if (!refused) {
    for (const auto& [id, other] : windows_) {
      if (other.modal && id != w.id) refused = true;
    }
  }
  if (!refused) return true;
  emit(traceLine("refused").str("action", action).str("win", w.created.name).str("ctrl", control));
  return false;
}

void SimDesktop::press(std::string_view window, std::string_view control, MouseButton button) {
  if (ended_ || outsideGame([this, w = std::string(window), c = std::string(control), button] {
        press(w, c, button);
      }))
    return;
  const std::optional<Target> t = target(window, control);
  if (!t) return;
  const std::string ctl = controlName(*t->window, t->control);
  if (!accepts(*t->window, "press", ctl)) return;
  if (sink_ == nullptr) {
    error("no input sink");
    return;
  }
  const WindowId id = t->window->id;
  captures_[button] = Capture{id, t->control};
  emit(traceLine("input")
           .str("action", "press")
           .str("win", t->window->created.name)
           .str("ctrl", ctl)
           .str("button", buttonName(button)));
  sink_->mouseDown(id, t->control, button);
}

void SimDesktop::release(std::string_view window, std::string_view control, MouseButton button) {
  if (ended_ || outsideGame([this, w = std::string(window), c = std::string(control), button] {
        release(w, c, button);
      }))
    return;
  WindowId id = 0;
  ControlId ctlId = kSurface;
  const auto captured = captures_.find(button);
  if (captured != captures_.end() && liveWindow(captured->second.window) != nullptr) {
    // The control that took the press takes the release, wherever it is.
    id = captured->second.window;
    ctlId = captured->second.control;
    captures_.erase(captured);
  } else {
    const std::optional<Target> t = target(window, control);
    if (!t) return;
    if (!accepts(*t->window, "release", controlName(*t->window, t->control))) return;
    id = t->window->id;
    ctlId = t->control;
  }
  if (sink_ == nullptr) {
    error("no input sink");
    return;
  }
  const WindowState& w = *liveWindow(id);
  emit(traceLine("input")
           .str("action", "release")
           .str("win", w.created.name)
           .str("ctrl", controlName(w, ctlId))
           .str("button", buttonName(button)));
  sink_->mouseUp(id, ctlId, button);
}

void SimDesktop::click(std::string_view window, std::string_view control) {
  if (ended_ ||
      outsideGame([this, w = std::string(window), c = std::string(control)] { click(w, c); }))
    return;
  const std::optional<Target> t = target(window, control);
  if (!t) return;
  const std::string ctl = controlName(*t->window, t->control);
  if (!accepts(*t->window, "click", ctl)) return;
  if (sink_ == nullptr) {
    error("no input sink");
    return;
  }
  emit(traceLine("input")
           .str("action", "click")
           .str("win", t->window->created.name)
           .str("ctrl", ctl));
  sink_->clicked(t->window->id, t->control);
}

void SimDesktop::hover(std::string_view window, std::string_view control) {
  if (ended_ ||
      outsideGame([this, w = std::string(window), c = std::string(control)] { hover(w, c); }))
    return;
  const std::optional<Target> t = target(window, control);
  if (!t) return;
  const std::string ctl = controlName(*t->window, t->control);
  if (!accepts(*t->window, "hover", ctl)) return;
  if (sink_ == nullptr) {
    error("no input sink");
    return;
  }
  emit(traceLine("input")
           .str("action", "hover")
           .str("win", t->window->created.name)
           .str("ctrl", ctl));
  sink_->mouseMove(t->window->id, t->control);
}

void SimDesktop::close(std::string_view window) {
  if (ended_ || outsideGame([this, w = std::string(window)] { close(w); })) return;
  const std::optional<Target> t = target(window, "");
  if (!t) return;
  if (!accepts(*t->window, "close", "")) return;
  if (sink_ == nullptr) {
    error("no input sink");
    return;
  }
  emit(traceLine("input").str("action", "close").str("win", t->window->created.name));
  sink_->closeRequested(t->window->id);
}

void SimDesktop::endSession() {
  if (ended_ || outsideGame([this] { endSession(); })) return;
  if (sink_ == nullptr) {
    error("no input sink");
    return;
  }
  // The session ends whatever dialog is open.
  emit(traceLine("input").str("action", "end-session").str("win", ""));
  sink_->sessionEnding();
}

void SimDesktop::changeScreen(const ScreenMetrics& screen) {
  if (ended_ || outsideGame([this, screen] { changeScreen(screen); })) return;
  options_.screen = screen;
  emit(traceLine("screen")
           .integer("width", screen.widthPx)
           .integer("height", screen.heightPx)
           .integer("workAreaBottom", screen.workAreaBottomPx)
           .integer("twipsPerPixel", screen.twipsPerPixel));
  if (sink_ != nullptr) sink_->screenChanged();
}

}  // namespace kelvory
