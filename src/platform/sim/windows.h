#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/clock.h"
#include "platform/sim/recorder.h"
#include "platform/types.h"

namespace kelvory::sim {

struct PrintedText {
  std::string text;
  double x = 0, y = 0;
  Font font;
};

struct ShapeInfo {
  std::string table;
  int index = 0;
  std::size_t rectCount = 0;
};

struct ControlState {
  ControlId id = 0;
  ControlDesc created;  // what the game asked for
  Twips geometry;
  Segment line;
  std::string text;
  bool visible = true;
  std::string toolTip;
  Rgb back;
  std::string picture;  // the source of the last picture, "" for none
  const Bitmap* bitmap = nullptr;
  // Lines and rectangles are drawn on the surface and take no input.
  bool takesInput() const {
    return visible && created.kind != ControlKind::Line && created.kind != ControlKind::Rectangle;
  }
};

struct WindowState {
  WindowId id = 0;
  WindowDesc created;  // what the game asked for; its caption follows setText
  Twips geometry;
  bool visible = false;
  bool modal = false;
  Rgb back;
  std::string picture;  // the surface's picture source
  const Bitmap* bitmap = nullptr;
  std::optional<ShapeInfo> shape;
  std::vector<PrintedText> texts;
  std::vector<ControlState> controls;

  // name "" or "surface" is the surface (nullptr then).
  const ControlState* control(std::string_view name) const;
  const ControlState* control(ControlId id) const;
};

struct TimerState {
  TimerId id = 0;
  WindowId owner = 0;
  std::string name;
  bool enabled = false;
  int interval = 0;
  std::optional<Ms> nextTick;  // when it ticks next, if it will
};

struct Menu {
  WindowId owner = 0;
  std::vector<MenuItemDesc> items;
};

bool IsSurfaceName(std::string_view name);

// The desktop's windows, their controls, menus and timers as plain records:
// no screen, nothing of any game. Every change the game makes is traced.
class Windows {
 public:
  Windows(Recorder& trace, Clock& clock) : trace_(trace), clock_(clock) {}

  WindowId create(const WindowDesc&);
  void destroy(WindowId);
  void setGeometry(WindowId, const Twips&);
  void show(WindowId);
  void showModal(WindowId);
  void hide(WindowId);
  void sendToBack(WindowId);
  void bringToFront(WindowId);
  void setBackColor(WindowId, ControlId, Rgb);
  void setPicture(WindowId, ControlId, const Picture&);
  ShapeResult setShape(WindowId, const Shape&);
  void clearText(WindowId);
  void printText(WindowId, std::string_view text, double x, double y, const Font&);
  ControlId addControl(WindowId, const ControlDesc&);
  void setControlGeometry(WindowId, ControlId, const Twips&);
  void setText(WindowId, ControlId, std::string_view);
  void setVisible(WindowId, ControlId, bool);
  void setToolTip(WindowId, ControlId, std::string_view);
  MenuId createMenu(WindowId owner, const std::vector<MenuItemDesc>&);
  void setMenuItemVisible(MenuId, int item, bool);
  TimerId createTimer(WindowId owner, std::string_view name, std::function<void()> tick);
  void setTimer(TimerId, bool enabled, int intervalMs);
  void destroyTimer(TimerId id) { timers_.erase(id); }

  // From now on every setShape reports this result.
  void failShapesWith(ShapeResult result) { shapeResult_ = result; }

  // The latest live window of that name.
  const WindowState* find(std::string_view name) const;
  const WindowState* window(WindowId id) const;
  std::vector<const WindowState*> all() const;       // oldest first
  std::vector<const WindowState*> stacking() const;  // front to back
  bool modalOtherThan(WindowId id) const;
  const Menu* menu(MenuId id) const;
  const TimerState* findTimer(std::string_view name) const;
  const TimerState* timer(TimerId id) const;
  const std::string& controlName(const WindowState& w, ControlId control) const;
  // The window's name, "" once it is gone.
  std::string nameOf(WindowId id) const;

 private:
  struct Timer {
    TimerState state;
    // Shared, so a tick runs on even when its handler destroys the timer.
    std::shared_ptr<const std::function<void()>> tick;
    std::uint64_t generation = 0;  // ticks queued for an older one are stale
  };

  WindowState* live(WindowId id);
  ControlState* liveControl(WindowId id, ControlId control);
  void traceMove(const std::string& window, const std::string& control, const Twips& g);
  void scheduleTick(Timer& timer, Ms from);
  void tick(TimerId id, std::uint64_t generation);

  Recorder& trace_;
  Clock& clock_;
  ShapeResult shapeResult_ = ShapeResult::Ok;
  WindowId nextWindow_ = 1;
  TimerId nextTimer_ = 1;
  MenuId nextMenu_ = 1;
  std::map<WindowId, WindowState> windows_;
  std::vector<WindowId> zOrder_;  // back to front
  std::map<TimerId, Timer> timers_;
  std::map<MenuId, Menu> menus_;
};

}  // namespace kelvory::sim
