#include "platform/sim/windows.h"

#include <algorithm>
#include <utility>

namespace kelvory::sim {

namespace {

std::string RgbText(Rgb c) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "#";
  for (const int part : {c.r, c.g, c.b}) {
    text += kHex[(part >> 4) & 15];
    text += kHex[part & 15];
  }
  return text;
}

}  // namespace

bool IsSurfaceName(std::string_view name) { return name.empty() || name == "surface"; }

const ControlState* WindowState::control(std::string_view name) const {
  if (IsSurfaceName(name)) return nullptr;
  for (const ControlState& c : controls) {
    if (c.created.name == name) return &c;
  }
  return nullptr;
}

const ControlState* WindowState::control(ControlId id) const {
  if (id == kSurface || id > controls.size()) return nullptr;
  return &controls[id - 1];
}

// ---- lookups -----------------------------------------------------------

WindowState* Windows::live(WindowId id) {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

ControlState* Windows::liveControl(WindowId id, ControlId control) {
  WindowState* w = live(id);
  if (w == nullptr || control == kSurface || control > w->controls.size()) return nullptr;
  return &w->controls[control - 1];
}

const std::string& Windows::controlName(const WindowState& w, ControlId control) const {
  static const std::string surface;
  const ControlState* c = w.control(control);
  return c == nullptr ? surface : c->created.name;
}

std::string Windows::nameOf(WindowId id) const {
  const WindowState* w = window(id);
  return w != nullptr ? w->created.name : std::string();
}

const WindowState* Windows::find(std::string_view name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (it->second.created.name == name) return &it->second;
  }
  return nullptr;
}

const WindowState* Windows::window(WindowId id) const {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

std::vector<const WindowState*> Windows::all() const {
  std::vector<const WindowState*> out;
  for (const auto& [id, w] : windows_) out.push_back(&w);
  return out;
}

std::vector<const WindowState*> Windows::stacking() const {
  std::vector<const WindowState*> out;
  for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it) out.push_back(window(*it));
  return out;
}

bool Windows::modalOtherThan(WindowId id) const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [id](const auto& entry) { return entry.second.modal && entry.first != id; });
}

const Menu* Windows::menu(MenuId id) const {
  const auto it = menus_.find(id);
  return it == menus_.end() ? nullptr : &it->second;
}

const TimerState* Windows::findTimer(std::string_view name) const {
  for (auto it = timers_.rbegin(); it != timers_.rend(); ++it) {
    if (it->second.state.name == name) return &it->second.state;
  }
  return nullptr;
}

const TimerState* Windows::timer(TimerId id) const {
  const auto it = timers_.find(id);
  return it == timers_.end() ? nullptr : &it->second.state;
}

// ---- windows -----------------------------------------------------------

WindowId Windows::create(const WindowDesc& desc) {
  const WindowId id = nextWindow_++;
  WindowState w;
  w.id = id;
  w.created = desc;
  w.geometry = desc.geometry;
  w.back = desc.back;
  windows_.emplace(id, std::move(w));
  zOrder_.push_back(id);
  trace_.emit(
      trace_.line("load").str("win", desc.name).integer("id", id).str("rgb", RgbText(desc.back)));
  return id;
}

void Windows::destroy(WindowId id) {
  const auto it = windows_.find(id);
  if (it == windows_.end()) return;
  std::erase_if(timers_, [id](const auto& entry) { return entry.second.state.owner == id; });
  std::erase_if(menus_, [id](const auto& entry) { return entry.second.owner == id; });
  std::erase(zOrder_, id);
  const std::string name = it->second.created.name;
  windows_.erase(it);
  trace_.emit(trace_.line("unload").str("win", name));
}

void Windows::traceMove(const std::string& window, const std::string& control, const Twips& g) {
  trace_.emit(trace_.line("move")
                  .str("win", window)
                  .str("ctrl", control)
                  .num("left", g.left)
                  .num("top", g.top)
                  .num("width", g.width)
                  .num("height", g.height));
}

void Windows::setGeometry(WindowId id, const Twips& g) {
  WindowState* w = live(id);
  if (w == nullptr || w->geometry == g) return;
  w->geometry = g;
  traceMove(w->created.name, "", g);
}

void Windows::show(WindowId id) {
  WindowState* w = live(id);
  if (w == nullptr || w->visible) return;
  w->visible = true;
  trace_.emit(trace_.line("show").str("win", w->created.name));
}

void Windows::showModal(WindowId id) {
  WindowState* w = live(id);
  if (w == nullptr || (w->visible && w->modal)) return;
  w->visible = true;
  w->modal = true;
  trace_.emit(trace_.line("show").str("win", w->created.name).boolean("modal", true));
}

void Windows::hide(WindowId id) {
  WindowState* w = live(id);
  if (w == nullptr || !w->visible) return;
  w->visible = false;
  w->modal = false;  // a hidden window no longer holds the input
  trace_.emit(trace_.line("hide").str("win", w->created.name));
}

void Windows::sendToBack(WindowId id) {
  WindowState* w = live(id);
  if (w == nullptr || (!zOrder_.empty() && zOrder_.front() == id)) return;
  std::erase(zOrder_, id);
  zOrder_.insert(zOrder_.begin(), id);
  trace_.emit(trace_.line("order").str("win", w->created.name).str("to", "back"));
}

void Windows::bringToFront(WindowId id) {
  WindowState* w = live(id);
  if (w == nullptr || (!zOrder_.empty() && zOrder_.back() == id)) return;
  std::erase(zOrder_, id);
  zOrder_.push_back(id);
  trace_.emit(trace_.line("order").str("win", w->created.name).str("to", "front"));
}

void Windows::setBackColor(WindowId id, ControlId control, Rgb colour) {
  WindowState* w = live(id);
  if (w == nullptr) return;
  Rgb* target = &w->back;
  if (control != kSurface) {
    ControlState* c = liveControl(id, control);
    if (c == nullptr) return;
    target = &c->back;
  }
  *target = colour;
  trace_.emit(trace_.line("color")
                  .str("win", w->created.name)
                  .str("ctrl", controlName(*w, control))
                  .str("rgb", RgbText(colour)));
}

void Windows::setPicture(WindowId id, ControlId control, const Picture& picture) {
  WindowState* w = live(id);
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
  trace_.emit(trace_.line("picture")
                  .str("win", w->created.name)
                  .str("ctrl", controlName(*w, control))
                  .str("src", picture.source));
}

ShapeResult Windows::setShape(WindowId id, const Shape& shape) {
  WindowState* w = live(id);
  if (w == nullptr) return ShapeResult::Ok;
  if (shapeResult_ != ShapeResult::Ok) return shapeResult_;
  ShapeInfo info{std::string(shape.table), shape.index, shape.rects.size()};
  w->shape = info;
  trace_.emit(trace_.line("shape")
                  .str("win", w->created.name)
                  .str("table", info.table)
                  .integer("index", info.index)
                  .integer("rects", static_cast<std::int64_t>(info.rectCount)));
  return ShapeResult::Ok;
}

void Windows::clearText(WindowId id) {
  WindowState* w = live(id);
  if (w == nullptr || w->texts.empty()) return;
  w->texts.clear();
  trace_.emit(
      trace_.line("text").str("win", w->created.name).str("ctrl", "").boolean("clear", true));
}

void Windows::printText(WindowId id, std::string_view text, double x, double y, const Font& font) {
  WindowState* w = live(id);
  if (w == nullptr) return;
  w->texts.push_back(PrintedText{std::string(text), x, y, font});
  trace_.emit(trace_.line("text")
                  .str("win", w->created.name)
                  .str("ctrl", "")
                  .num("x", x)
                  .num("y", y)
                  .str("text", text));
}

// ---- controls ----------------------------------------------------------

ControlId Windows::addControl(WindowId id, const ControlDesc& desc) {
  WindowState* w = live(id);
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

void Windows::setControlGeometry(WindowId id, ControlId control, const Twips& g) {
  if (control == kSurface) {
    setGeometry(id, g);
    return;
  }
  ControlState* c = liveControl(id, control);
  if (c == nullptr || c->geometry == g) return;
  c->geometry = g;
  traceMove(live(id)->created.name, c->created.name, g);
}

void Windows::setText(WindowId id, ControlId control, std::string_view text) {
  WindowState* w = live(id);
  if (w == nullptr) return;
  std::string* target = &w->created.caption;  // the surface's text is the caption
  if (control != kSurface) {
    ControlState* c = liveControl(id, control);
    if (c == nullptr) return;
    target = &c->text;
  }
  *target = text;
  trace_.emit(trace_.line("text")
                  .str("win", w->created.name)
                  .str("ctrl", controlName(*w, control))
                  .str("text", text));
}

void Windows::setVisible(WindowId id, ControlId control, bool visible) {
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
  trace_.emit(trace_.line("visible")
                  .str("win", live(id)->created.name)
                  .str("ctrl", c->created.name)
                  .boolean("visible", visible));
}

void Windows::setToolTip(WindowId id, ControlId control, std::string_view tip) {
  ControlState* c = liveControl(id, control);
  if (c == nullptr) return;
  c->toolTip = tip;
  trace_.emit(trace_.line("tooltip")
                  .str("win", live(id)->created.name)
                  .str("ctrl", c->created.name)
                  .str("text", tip));
}

// ---- menus -------------------------------------------------------------

MenuId Windows::createMenu(WindowId owner, const std::vector<MenuItemDesc>& items) {
  if (live(owner) == nullptr) return 0;
  const MenuId id = nextMenu_++;
  menus_.emplace(id, Menu{owner, items});
  return id;
}

void Windows::setMenuItemVisible(MenuId id, int item, bool visible) {
  const auto it = menus_.find(id);
  if (it == menus_.end() || item < 0 || static_cast<std::size_t>(item) >= it->second.items.size())
    return;
  MenuItemDesc& entry = it->second.items[static_cast<std::size_t>(item)];
  entry.visible = visible;
  trace_.emit(trace_.line("visible")
                  .str("win", nameOf(it->second.owner))
                  .str("item", entry.name)
                  .boolean("visible", visible));
}

// ---- timers ------------------------------------------------------------

TimerId Windows::createTimer(WindowId owner, std::string_view name, std::function<void()> tick) {
  if (live(owner) == nullptr) return 0;
  const TimerId id = nextTimer_++;
  Timer t;
  t.state.id = id;
  t.state.owner = owner;
  t.state.name = name;
  t.tick = std::make_shared<const std::function<void()>>(std::move(tick));
  timers_.emplace(id, std::move(t));
  return id;
}

void Windows::scheduleTick(Timer& t, Ms from) {
  t.state.nextTick = from + t.state.interval;
  clock_.at(*t.state.nextTick,
            [this, id = t.state.id, generation = t.generation] { tick(id, generation); });
}

void Windows::tick(TimerId id, std::uint64_t generation) {
  const auto it = timers_.find(id);
  if (it == timers_.end() || it->second.generation != generation || !it->second.state.enabled) {
    return;
  }
  // The next tick is due one interval after this one, however long the
  // handler takes.
  scheduleTick(it->second, clock_.now());
  const auto run = it->second.tick;
  if (*run) (*run)();
}

void Windows::setTimer(TimerId id, bool enabled, int intervalMs) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  Timer& t = it->second;
  const bool restart = (enabled && !t.state.enabled) || intervalMs != t.state.interval;
  t.state.enabled = enabled;
  t.state.interval = intervalMs;
  if (restart || !enabled) {
    ++t.generation;  // ticks already queued are stale now
    t.state.nextTick.reset();
    if (enabled && intervalMs > 0) scheduleTick(t, clock_.now());
  }
  trace_.emit(trace_.line("timer")
                  .str("win", nameOf(t.state.owner))
                  .str("ctrl", t.state.name)
                  .boolean("enabled", enabled)
                  .integer("interval", intervalMs));
}

}  // namespace kelvory::sim
