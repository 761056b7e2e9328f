#include "platform/sim/screen.h"

#include <algorithm>

namespace kelvory::sim {

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

const std::string& WindowState::controlName(ControlId id) const {
  static const std::string surface;
  const ControlState* c = control(id);
  return c == nullptr ? surface : c->created.name;
}

void Screen::add(WindowState& window) { zOrder_.push_back(&window); }

void Screen::remove(const WindowState& window) { std::erase(zOrder_, &window); }

bool Screen::toBack(const WindowState& window) {
  const auto it = std::find(zOrder_.begin(), zOrder_.end(), &window);
  if (it == zOrder_.end() || it == zOrder_.begin()) return false;
  std::rotate(zOrder_.begin(), it, it + 1);
  return true;
}

bool Screen::toFront(const WindowState& window) {
  const auto it = std::find(zOrder_.begin(), zOrder_.end(), &window);
  if (it == zOrder_.end() || it + 1 == zOrder_.end()) return false;
  std::rotate(it, it + 1, zOrder_.end());
  return true;
}

const WindowState* Screen::find(std::string_view name) const {
  const WindowState* latest = nullptr;
  for (const WindowState* w : zOrder_) {
    if (w->created.name == name && (latest == nullptr || w->id > latest->id)) latest = w;
  }
  return latest;
}

const WindowState* Screen::window(WindowId id) const {
  const auto it = std::find_if(zOrder_.begin(), zOrder_.end(),
                               [id](const WindowState* w) { return w->id == id; });
  return it == zOrder_.end() ? nullptr : *it;
}

std::vector<const WindowState*> Screen::all() const {
  std::vector<const WindowState*> out(zOrder_.begin(), zOrder_.end());
  std::sort(out.begin(), out.end(), [](const auto* a, const auto* b) { return a->id < b->id; });
  return out;
}

std::vector<const WindowState*> Screen::stacking() const {
  return {zOrder_.rbegin(), zOrder_.rend()};
}

const std::string& Screen::nameOf(WindowId id) const {
  static const std::string gone;
  const WindowState* w = window(id);
  return w != nullptr ? w->created.name : gone;
}

}  // namespace kelvory::sim
