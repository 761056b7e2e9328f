#pragma once

#include <string>

#include "platform/wayland/wl_popup.h"

namespace kelvory::wl {

// A control's tip: a small popup below the pointer, parented to a dialog
// or to a layer surface, taking no input. It goes with the object.
class Tooltip final {
 public:
  Tooltip(Host& host, PopupSurface::Parent parent, int x, int y, const std::string& text);

 private:
  void paint(cairo_t* cr) const;
  static int Width(Host& host, const std::string& text);
  static int Height(Host& host, const std::string& text);

  Host& host_;
  std::string text_;
  int width_, height_;
  PopupSurface popup_;
};

}  // namespace kelvory::wl
