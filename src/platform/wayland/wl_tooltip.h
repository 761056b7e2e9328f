#pragma once

#include <string>

#include "platform/wayland/wl_buffer.h"
#include "platform/wayland/wl_host.h"

namespace kelvory::wl {

// A control's tip: a small popup below the pointer, parented to a dialog
// or to a layer surface, taking no input. It goes with the object.
class Tooltip final {
 public:
  struct Parent {
    xdg_surface* dialog = nullptr;  // one of these two
    zwlr_layer_surface_v1* layer = nullptr;
  };
  Tooltip(Host& host, Parent parent, int x, int y, const std::string& text);
  ~Tooltip();
  Tooltip(const Tooltip&) = delete;
  Tooltip& operator=(const Tooltip&) = delete;

 private:
  void draw();

  Host& host_;
  std::string text_;
  int width_ = 0;
  int height_ = 0;
  BufferPair buffers_;
  Proxy<wl_surface> surface_;
  Proxy<xdg_surface> xdg_;
  Proxy<xdg_popup> popup_;
};

}  // namespace kelvory::wl
