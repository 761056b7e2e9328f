#include "platform/wayland/wl_popup.h"

namespace kelvory::wl {

PopupSurface::PopupSurface(Host& host, Parent parent, int width, int height, const Place& place,
                           std::function<void(cairo_t*)> paint, std::function<void()> done)
    : host_(host),
      width_(width),
      height_(height),
      paint_(std::move(paint)),
      done_(std::move(done)) {
  Connection& c = host_.connection();
  surface_.reset(wl_compositor_create_surface(c.compositor()));
  xdg_.reset(xdg_wm_base_get_xdg_surface(c.shell(), surface_.get()));
  static constexpr xdg_surface_listener kSurface{
      .configure =
          [](void* data, xdg_surface* xdg, std::uint32_t serial) {
            xdg_surface_ack_configure(xdg, serial);
            auto& p = *static_cast<PopupSurface*>(data);
            p.configured_ = true;
            p.redraw();
          },
  };
  xdg_surface_add_listener(xdg_.get(), &kSurface, this);
  xdg_positioner* positioner = xdg_wm_base_create_positioner(c.shell());
  xdg_positioner_set_size(positioner, width_, height_);
  xdg_positioner_set_anchor_rect(positioner, place.x, place.y, place.width, place.height);
  xdg_positioner_set_anchor(positioner, place.anchor);
  xdg_positioner_set_gravity(positioner, place.gravity);
  xdg_positioner_set_constraint_adjustment(positioner, place.adjust);
  popup_.reset(xdg_surface_get_popup(xdg_.get(), parent.dialog, positioner));
  xdg_positioner_destroy(positioner);
  static constexpr xdg_popup_listener kPopup{
      .configure = [](void*, xdg_popup*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {},
      .popup_done =
          [](void* data, xdg_popup*) {
            auto& p = *static_cast<PopupSurface*>(data);
            if (p.done_) p.done_();
          },
  };
  xdg_popup_add_listener(popup_.get(), &kPopup, this);
  if (parent.layer != nullptr) zwlr_layer_surface_v1_get_popup(parent.layer, popup_.get());
}

PopupSurface::~PopupSurface() {
  if (Seat* seat = host_.seat()) seat->forget(surface_.get());
  popup_.reset();
  xdg_.reset();
  surface_.reset();
}

void PopupSurface::redraw() {
  if (!configured_) return;
  const int scale = host_.scale();
  ShmBuffer* buffer = buffers_.next(host_.connection().shm(), width_ * scale, height_ * scale);
  if (buffer == nullptr) return;
  cairo_t* cr = cairo_create(buffer->canvas());
  cairo_scale(cr, scale, scale);
  paint_(cr);
  cairo_destroy(cr);
  Present(surface_.get(), *buffer, scale);
  wl_surface_commit(surface_.get());
}

}  // namespace kelvory::wl
