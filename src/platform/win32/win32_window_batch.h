#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace kelvory::win32 {

// The moves, outlines and repaints the game asks of its windows between two
// waits, kept and applied together when the desktop next waits. Each is a
// round of requests through the window system (under Wine through wineserver
// and the X server); done on the spot they would come before a step's wait
// and lengthen every step of an animation by their cost. Kept, a window
// moved twice in a step (its left, then its top) moves once.
class WindowBatch {
 public:
  WindowBatch() = default;
  WindowBatch(const WindowBatch&) = delete;
  WindowBatch& operator=(const WindowBatch&) = delete;

  // Where the window is to be: its kept move, or where it is now.
  RECT placement(HWND hwnd) const;
  void move(HWND hwnd, const RECT& box);
  // The window is given the region when the batch is applied.
  void reshape(HWND hwnd, Region region);
  void repaint(HWND hwnd);
  // The window goes: what was kept for it goes with it.
  void forget(HWND hwnd);
  // Everything kept: the outlines, then the moves in one deferred-position
  // batch, then the repaints.
  void apply();

 private:
  struct Pending {
    HWND hwnd = nullptr;
    std::optional<RECT> box;
    Region region;
    bool repaint = false;
  };
  Pending& entry(HWND hwnd);
  void moveEach(const std::vector<Pending>& batch) const;

  std::vector<Pending> pending_;
};

}  // namespace kelvory::win32
