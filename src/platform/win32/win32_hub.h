#pragma once

#include <windows.h>

#include <functional>

#include "platform/win32/win32_handles.h"

namespace kelvory::win32 {

// A message-only window that receives every timer of the desktop and the
// desktop's own notes to itself; a window of the game may go while its
// timers still tick, this one stays.
class Hub {
 public:
  Hub(std::function<void(UINT_PTR)> onTimer, std::function<void()> onScreenChanged);
  ~Hub();
  Hub(const Hub&) = delete;
  Hub& operator=(const Hub&) = delete;

  HWND hwnd() const { return hwnd_.get(); }
  // Many windows hear of one change: the game hears of it once.
  void noteScreenChanged();

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void(UINT_PTR)> onTimer_;
  std::function<void()> onScreenChanged_;
  bool screenNotePending_ = false;
  WindowHandle hwnd_;
};

}  // namespace kelvory::win32
