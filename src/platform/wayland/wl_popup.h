#pragma once

#include <cairo.h>

#include <functional>

#include "platform/wayland/wl_buffer.h"
#include "platform/wayland/wl_host.h"

namespace kelvory::wl {

// A popup of one of our surfaces (a menu, a tip): where it opens, its own
// surface drawn in layout pixels at the output's scale, and the
// compositor's word that it may show or must go.
class PopupSurface {
 public:
  struct Parent {
    xdg_surface* dialog = nullptr;  // one of these two
    zwlr_layer_surface_v1* layer = nullptr;
  };
  // A rectangle of the parent, and how the popup grows from it.
  struct Place {
    int x = 0, y = 0, width = 1, height = 1;
    xdg_positioner_anchor anchor = XDG_POSITIONER_ANCHOR_BOTTOM_LEFT;
    xdg_positioner_gravity gravity = XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT;
    std::uint32_t adjust = 0;  // xdg_positioner_constraint_adjustment bits
  };

  // The popup shows once the compositor has configured it and paint has
  // drawn it; done tells when the compositor closed it. Sent once start()
  // is called (a grab must come before).
  PopupSurface(Host& host, Parent parent, int width, int height, const Place& place,
               std::function<void(cairo_t*)> paint, std::function<void()> done);
  ~PopupSurface();
  PopupSurface(const PopupSurface&) = delete;
  PopupSurface& operator=(const PopupSurface&) = delete;

  void start() { wl_surface_commit(surface_.get()); }
  // Draws it afresh, once configured.
  void redraw();
  wl_surface* surface() const { return surface_.get(); }
  xdg_popup* popup() const { return popup_.get(); }

 private:
  Host& host_;
  int width_, height_;
  std::function<void(cairo_t*)> paint_;
  std::function<void()> done_;
  bool configured_ = false;
  BufferPair buffers_;
  Proxy<wl_surface> surface_;
  Proxy<xdg_surface> xdg_;
  Proxy<xdg_popup> popup_;
};

}  // namespace kelvory::wl
