#include "platform/wayland/wl_paint.h"

#include <algorithm>

#include "platform/core/label_fit.h"

namespace kelvory::wl {
namespace {

constexpr Rgb kThinBorder{0x40, 0x40, 0x40};
constexpr Rgb kButtonFace{0xE1, 0xE1, 0xE1};
constexpr Rgb kButtonEdge{0xAD, 0xAD, 0xAD};
constexpr Rgb kButtonDownFace{0xCC, 0xE4, 0xF7};
constexpr Rgb kButtonDownEdge{0x00, 0x54, 0x99};

void Fill(cairo_t* cr, const PixelRect& r, Rgb c) {
  SetColour(cr, c);
  cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  cairo_fill(cr);
}

// A one-pixel-wide outline inside the rectangle, aliased as the other
// desktops draw it.
void Outline(cairo_t* cr, const PixelRect& r, Rgb c, int width) {
  SetColour(cr, c);
  cairo_set_line_width(cr, width);
  const double half = width / 2.0;
  cairo_rectangle(cr, r.left + half, r.top + half, r.right - r.left - width,
                  r.bottom - r.top - width);
  cairo_stroke(cr);
}

// Pixel art: whole pixels, no smoothing.
void DrawPicture(const Canvas& c, const Bitmap* bitmap, double x, double y) {
  cairo_surface_t* picture = c.pictures.of(bitmap);
  if (picture == nullptr) return;
  cairo_set_source_surface(c.cr, picture, x, y);
  cairo_pattern_set_filter(cairo_get_source(c.cr), CAIRO_FILTER_NEAREST);
  cairo_paint(c.cr);
}

void DrawLabel(const Canvas& c, const ControlDesc& d, const PixelRect& box) {
  if (d.text.empty()) return;
  const int w = box.right - box.left;
  const int h = box.bottom - box.top;
  const PangoLabelText measured(c.fonts, d.font, d.text);
  const LabelFit fit = FitLabel(measured, Fonts::PixelSize(d.font), w, h);
  PangoLayout* layout = pango_cairo_create_layout(c.cr);
  SetText(layout, c.fonts, d.font, fit.pixelSize, d.text, fit.wrap ? w : 0);
  cairo_save(c.cr);
  cairo_rectangle(c.cr, box.left, box.top, w, h);
  cairo_clip(c.cr);
  SetColour(c.cr, d.fore);
  cairo_move_to(c.cr, box.left, box.top - fit.lift);
  pango_cairo_show_layout(c.cr, layout);
  cairo_restore(c.cr);
  g_object_unref(layout);
}

void DrawButton(const Canvas& c, const ControlDesc& d, const PixelRect& box, bool down) {
  Fill(c.cr, box, down ? kButtonDownFace : kButtonFace);
  Outline(c.cr, box, down ? kButtonDownEdge : kButtonEdge, 1);
  PangoLayout* layout = pango_cairo_create_layout(c.cr);
  SetText(layout, c.fonts, d.font, 0, d.text, 0);
  int tw = 0, th = 0;
  pango_layout_get_pixel_size(layout, &tw, &th);
  SetColour(c.cr, kBlack);
  cairo_move_to(c.cr, box.left + (box.right - box.left - tw) / 2,
                box.top + (box.bottom - box.top - th) / 2);
  pango_cairo_show_layout(c.cr, layout);
  g_object_unref(layout);
}

void DrawDecoration(const Canvas& c, const ControlDesc& d) {
  const int width = std::max(1, d.lineWidth);
  if (d.kind == ControlKind::Rectangle) {
    Outline(c.cr, c.grid.box(d.box), d.fore, width);
    return;
  }
  // Through the middle of the pixels, so a thin line covers whole ones.
  const double half = width % 2 == 1 ? 0.5 : 0;
  SetColour(c.cr, d.fore);
  cairo_set_line_width(c.cr, width);
  cairo_move_to(c.cr, c.grid.px(d.line.x1) + half, c.grid.px(d.line.y1) + half);
  cairo_line_to(c.cr, c.grid.px(d.line.x2) + half, c.grid.px(d.line.y2) + half);
  cairo_stroke(c.cr);
}

bool Decoration(ControlKind kind) {
  return kind == ControlKind::Line || kind == ControlKind::Rectangle;
}

}  // namespace

void SetColour(cairo_t* cr, Rgb c) {
  cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void PaintPopupFace(cairo_t* cr, int width, int height, Rgb edge, Rgb face) {
  SetColour(cr, edge);
  cairo_paint(cr);
  SetColour(cr, face);
  cairo_rectangle(cr, 1, 1, width - 2, height - 2);
  cairo_fill(cr);
}

Pictures::~Pictures() {
  for (auto& [bitmap, picture] : made_) cairo_surface_destroy(picture);
}

cairo_surface_t* Pictures::of(const Bitmap* bitmap) {
  if (bitmap == nullptr || bitmap->width <= 0 || bitmap->height <= 0) return nullptr;
  auto& made = made_[bitmap];
  if (made != nullptr) return made;
  made = cairo_image_surface_create(CAIRO_FORMAT_RGB24, bitmap->width, bitmap->height);
  cairo_surface_flush(made);
  unsigned char* data = cairo_image_surface_get_data(made);
  const int stride = cairo_image_surface_get_stride(made);
  for (int y = 0; y < bitmap->height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < bitmap->width; ++x) row[x] = bitmap->at(x, y);
  }
  cairo_surface_mark_dirty(made);
  return made;
}

void Paint(const Canvas& c, const Content& content, int width, int height) {
  cairo_t* cr = c.cr;
  cairo_save(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  if (content.shape) {
    for (const PixelRect& r : *content.shape) {
      cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    cairo_clip(cr);
  }
  const PixelRect all{0, 0, width, height};
  Fill(cr, all, content.back);
  if (content.picture != nullptr) DrawPicture(c, content.picture, 0, 0);
  for (const auto& [id, child] : content.children) {
    if (child.desc.visible && Decoration(child.desc.kind)) DrawDecoration(c, child.desc);
  }
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  for (const auto& p : content.printed) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    SetText(layout, c.fonts, p.font, 0, p.text, 0);
    SetColour(cr, kBlack);
    cairo_move_to(cr, c.grid.px(p.x), c.grid.px(p.y));
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
  }
  for (const auto& [id, child] : content.children) {
    const ControlDesc& d = child.desc;
    if (!d.visible || Decoration(d.kind)) continue;
    const PixelRect box = c.grid.box(d.box);
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_clip(cr);
    switch (d.kind) {
      case ControlKind::PictureBox:
        Fill(cr, box, d.back);
        break;
      case ControlKind::Label:
        if (!d.transparent) Fill(cr, box, d.back);
        break;
      default:
        break;
    }
    if (child.picture != nullptr) DrawPicture(c, child.picture, box.left, box.top);
    cairo_restore(cr);
    if (d.kind == ControlKind::Label) DrawLabel(c, d, box);
    if (d.kind == ControlKind::Button) DrawButton(c, d, box, content.pressed == id);
  }
  cairo_restore(cr);
}

void PaintThinBorder(cairo_t* cr, int width, int height) {
  cairo_save(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  Outline(cr, {0, 0, width, height}, kThinBorder, 1);
  cairo_restore(cr);
}

ControlId ControlAt(const Content& content, const PixelGrid& grid, double x, double y) {
  for (auto it = content.children.rbegin(); it != content.children.rend(); ++it) {
    const ControlDesc& d = it->second.desc;
    if (!d.visible || Decoration(d.kind)) continue;
    const PixelRect r = grid.box(d.box);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return it->first;
  }
  return kSurface;
}

}  // namespace kelvory::wl
