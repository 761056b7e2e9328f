#include "platform/wayland/wl_tooltip.h"

#include <cmath>

namespace kelvory::wl {
namespace {

const Font kTipFont{.face = "MS UI Gothic", .points = 9};
constexpr int kPadding = 4;
constexpr int kBelowPointer = 20;
constexpr Rgb kFace{0xFF, 0xFF, 0xE1};
constexpr Rgb kEdge{0x76, 0x76, 0x76};

}  // namespace

Tooltip::Tooltip(Host& host, Parent parent, int x, int y, const std::string& text)
    : host_(host), text_(text) {
  PangoLabelText measured(host_.fonts(), kTipFont, text_);
  const int px = Fonts::PixelSize(kTipFont);
  width_ = measured.lineWidth(px) + 2 * kPadding;
  height_ = measured.lineHeight(px) + 2 * kPadding;

  Connection& c = host_.connection();
  surface_.reset(wl_compositor_create_surface(c.compositor()));
  wl_region* none = wl_compositor_create_region(c.compositor());
  wl_surface_set_input_region(surface_.get(), none);
  wl_region_destroy(none);
  xdg_.reset(xdg_wm_base_get_xdg_surface(c.shell(), surface_.get()));
  static constexpr xdg_surface_listener kSurface{
      .configure =
          [](void* data, xdg_surface* xdg, std::uint32_t serial) {
            xdg_surface_ack_configure(xdg, serial);
            static_cast<Tooltip*>(data)->draw();
          },
  };
  xdg_surface_add_listener(xdg_.get(), &kSurface, this);
  xdg_positioner* positioner = xdg_wm_base_create_positioner(c.shell());
  xdg_positioner_set_size(positioner, width_, height_);
  xdg_positioner_set_anchor_rect(positioner, x, y, 1, kBelowPointer);
  xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_BOTTOM_LEFT);
  xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
  xdg_positioner_set_constraint_adjustment(
      positioner,
      XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X | XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y);
  popup_.reset(xdg_surface_get_popup(xdg_.get(), parent.dialog, positioner));
  xdg_positioner_destroy(positioner);
  static constexpr xdg_popup_listener kPopup{
      .configure = [](void*, xdg_popup*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {},
      .popup_done = [](void*, xdg_popup*) {},
  };
  xdg_popup_add_listener(popup_.get(), &kPopup, this);
  if (parent.layer != nullptr) zwlr_layer_surface_v1_get_popup(parent.layer, popup_.get());
  wl_surface_commit(surface_.get());
}

Tooltip::~Tooltip() {
  popup_.reset();
  xdg_.reset();
  surface_.reset();
}

void Tooltip::draw() {
  const int scale = host_.scale();
  ShmBuffer* buffer = buffers_.next(host_.connection().shm(), width_ * scale, height_ * scale);
  if (buffer == nullptr) return;
  cairo_t* cr = cairo_create(buffer->canvas());
  cairo_scale(cr, scale, scale);
  PaintPopupFace(cr, width_, height_, kEdge, kFace);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  SetText(layout, host_.fonts(), kTipFont, 0, text_, 0);
  SetColour(cr, kBlack);
  cairo_move_to(cr, kPadding, kPadding);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  cairo_destroy(cr);
  Present(surface_.get(), *buffer, scale);
  wl_surface_commit(surface_.get());
}

}  // namespace kelvory::wl
