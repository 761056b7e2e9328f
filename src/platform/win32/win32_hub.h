#pragma once

#include <windows.h>

#include <functional>

#include "platform/win32/win32_handles.h"

namespace kelvory::win32 {

// A message-only window that receives every timer of the desktop; a window
// of the game may go while its timers still tick, this one stays.
class Hub {
 public:
  explicit Hub(std::function<void(UINT_PTR)> onTimer);
  ~Hub();
  Hub(const Hub&) = delete;
  Hub& operator=(const Hub&) = delete;

  HWND hwnd() const { return hwnd_.get(); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  std::function<void(UINT_PTR)> onTimer_;
  WindowHandle hwnd_;
};

}  // namespace kelvory::win32
