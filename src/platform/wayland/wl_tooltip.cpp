#include "platform/wayland/wl_tooltip.h"

namespace kelvory::wl {
namespace {

const Font kTipFont{.face = "MS UI Gothic", .points = 9};
constexpr int kPadding = 4;
constexpr int kBelowPointer = 20;
constexpr Rgb kFace{0xFF, 0xFF, 0xE1};
constexpr Rgb kEdge{0x76, 0x76, 0x76};

}  // namespace

int Tooltip::Width(Host& host, const std::string& text) {
  return PangoLabelText(host.fonts(), kTipFont, text).lineWidth(Fonts::PixelSize(kTipFont)) +
         2 * kPadding;
}

int Tooltip::Height(Host& host, const std::string& text) {
  return PangoLabelText(host.fonts(), kTipFont, text).lineHeight(Fonts::PixelSize(kTipFont)) +
         2 * kPadding;
}

Tooltip::Tooltip(Host& host, PopupSurface::Parent parent, int x, int y, const std::string& text)
    : host_(host),
      text_(text),
      width_(Width(host, text)),
      height_(Height(host, text)),
      popup_(
          host, parent, width_, height_,
          {.x = x,
           .y = y,
           .height = kBelowPointer,
           .adjust = XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                     XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y},
          [this](cairo_t* cr) { paint(cr); }, nullptr) {
  // A tip takes no input: the pointer stays with the control below.
  wl_region* none = wl_compositor_create_region(host_.connection().compositor());
  wl_surface_set_input_region(popup_.surface(), none);
  wl_region_destroy(none);
  popup_.start();
}

void Tooltip::paint(cairo_t* cr) const {
  PaintPopupFace(cr, width_, height_, kEdge, kFace);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  SetText(layout, host_.fonts(), kTipFont, 0, text_, 0);
  SetColour(cr, kBlack);
  cairo_move_to(cr, kPadding, kPadding);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
}

}  // namespace kelvory::wl
