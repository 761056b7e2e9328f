#pragma once

#include <functional>
#include <vector>

#include "platform/core/pixel_grid.h"
#include "platform/wayland/wl_connection.h"
#include "platform/wayland/wl_paint.h"
#include "platform/wayland/wl_seat.h"
#include "platform/wayland/wl_text.h"

namespace kelvory::wl {

class WlWindow;

// The room the layer shell leaves the scene: the output less the bars'
// exclusive zones, layout pixels. The scene stands on its bottom edge.
struct FreeArea {
  int width = 0;
  int height = 0;
  bool known() const { return width > 0 && height > 0; }
};

// What a window needs of the desktop it lives on.
class Host {
 public:
  virtual ~Host() = default;
  virtual Connection& connection() = 0;
  virtual Seat* seat() = 0;
  virtual const Fonts& fonts() const = 0;
  virtual Pictures& pictures() = 0;
  virtual const PixelGrid& grid() const = 0;
  virtual FreeArea freeArea() const = 0;
  virtual int scale() const = 0;
  // Runs the game's handler from the event loop, outside the compositor's
  // callbacks.
  virtual void post(std::function<void()> handler) = 0;
  // Calls the window's showTip() once the pointer has rested this long,
  // unless asked again or cancelled (nullptr) first.
  virtual void tipAfter(WlWindow* window, int delayMs) = 0;
  // Where the figures in front show, and a count that changes whenever
  // that may have: a window sent to the back leaves it out.
  virtual std::vector<PixelRect> cover() const = 0;
  virtual unsigned sceneVersion() const = 0;
  virtual void sceneChanged() = 0;
  // A window was made or is gone: the desktop flushes every window there is.
  virtual void enlist(WlWindow& window) = 0;
  virtual void forget(WlWindow& window) = 0;
};

}  // namespace kelvory::wl
