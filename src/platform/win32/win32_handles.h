#pragma once

#include <windows.h>

#include <utility>

namespace kelvory::win32 {

// One owner for one handle: moves, never copies, frees on destruction.
// Free is a function object so each handle kind keeps its own release call.
template <class H, class Free>
class Unique {
 public:
  Unique() = default;
  explicit Unique(H h) : h_(h) {}
  ~Unique() { reset(); }
  Unique(Unique&& other) noexcept : h_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != H{}; }
  // Hands the handle to someone who frees it (SetWindowRgn takes regions).
  H release() { return std::exchange(h_, H{}); }
  void reset(H h = H{}) {
    if (h_ != H{}) Free{}(h_);
    h_ = h;
  }

 private:
  H h_{};
};

struct FreeGdi {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct FreeDc {
  void operator()(HDC h) const { DeleteDC(h); }
};
struct FreeIcon {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct FreeMenu {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct FreeWindow {
  void operator()(HWND h) const { DestroyWindow(h); }
};

using Region = Unique<HRGN, FreeGdi>;
using BitmapHandle = Unique<HBITMAP, FreeGdi>;
using FontHandle = Unique<HFONT, FreeGdi>;
using BrushHandle = Unique<HBRUSH, FreeGdi>;
using PenHandle = Unique<HPEN, FreeGdi>;
using MemoryDc = Unique<HDC, FreeDc>;
using IconHandle = Unique<HICON, FreeIcon>;
using MenuHandle = Unique<HMENU, FreeMenu>;
using WindowHandle = Unique<HWND, FreeWindow>;

// A screen DC borrowed for measuring; given back on scope exit.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// The DC of one WM_PAINT, ended on scope exit.
class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
  ~PaintDc() { EndPaint(hwnd_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a DC for one scope and puts the old one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() {
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A timer of a window, killed on scope exit.
class WindowTimer {
 public:
  WindowTimer() = default;
  WindowTimer(HWND hwnd, UINT_PTR id, UINT ms)
      : hwnd_(hwnd), id_(SetTimer(hwnd, id, ms, nullptr)) {}
  ~WindowTimer() { stop(); }
  WindowTimer(WindowTimer&& other) noexcept
      : hwnd_(other.hwnd_), id_(std::exchange(other.id_, 0)) {}
  WindowTimer& operator=(WindowTimer&& other) noexcept {
    if (this != &other) {
      stop();
      hwnd_ = other.hwnd_;
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;
  bool running() const { return id_ != 0; }
  void stop() {
    if (id_ != 0) KillTimer(hwnd_, std::exchange(id_, 0));
  }

 private:
  HWND hwnd_ = nullptr;
  UINT_PTR id_ = 0;
};

}  // namespace kelvory::win32
