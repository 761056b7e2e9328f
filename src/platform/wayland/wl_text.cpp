#include "platform/wayland/wl_text.h"

#include <cmath>

#include "platform/core/font_choice.h"

namespace kelvory::wl {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

}  // namespace

Fonts::Fonts() {
  PangoFontMap* map = pango_cairo_font_map_get_default();
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(map, &families, &count);
  for (int i = 0; i < count; ++i) installed_.emplace(pango_font_family_get_name(families[i]));
  g_free(families);
  context_ = pango_font_map_create_context(map);
  measuring_ = pango_layout_new(context_);
}

Fonts::~Fonts() {
  g_object_unref(measuring_);
  g_object_unref(context_);
}

int Fonts::PixelSize(const Font& font) {
  return std::max(1, static_cast<int>(std::lround(ChosenPoints(font) * kPixelsPerPoint)));
}

const PangoFontDescription* Fonts::describe(const Font& font, int pixelSize) const {
  if (pixelSize <= 0) pixelSize = PixelSize(font);
  Key key{font.face, font.points, font.bold, font.serif, pixelSize};
  auto& d = described_[key];
  if (!d) {
    const std::string face = ChosenFace(
        font, [this](std::string_view name) { return installed_.find(name) != installed_.end(); });
    d.reset(pango_font_description_new());
    pango_font_description_set_family(
        d.get(), face.empty() ? (font.serif ? "serif" : "sans") : face.c_str());
    pango_font_description_set_weight(d.get(), font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(d.get(), pixelSize * PANGO_SCALE);
  }
  return d.get();
}

double Fonts::width(const Font& font, std::string_view text) const {
  SetText(measuring_, *this, font, 0, text, 0);
  int w = 0;
  pango_layout_get_size(measuring_, &w, nullptr);
  return static_cast<double>(w) / PANGO_SCALE;
}

void SetText(PangoLayout* layout, const Fonts& fonts, const Font& font, int pixelSize,
             std::string_view text, int width) {
  pango_layout_set_font_description(layout, fonts.describe(font, pixelSize));
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_width(layout, width > 0 ? width * PANGO_SCALE : -1);
}

PangoLabelText::PangoLabelText(const Fonts& fonts, const Font& font, std::string_view text)
    : fonts_(fonts), font_(font), text_(text) {}

PangoLayout* PangoLabelText::at(int pixelSize) const {
  SetText(fonts_.measuring(), fonts_, font_, pixelSize, text_, 0);
  return fonts_.measuring();
}

int PangoLabelText::wrappedHeight(int pixelSize, int width) const {
  SetText(fonts_.measuring(), fonts_, font_, pixelSize, text_, width);
  int h = 0;
  pango_layout_get_pixel_size(fonts_.measuring(), nullptr, &h);
  return h;
}

int PangoLabelText::lineWidth(int pixelSize) const {
  int w = 0;
  pango_layout_get_pixel_size(at(pixelSize), &w, nullptr);
  return w;
}

int PangoLabelText::lineHeight(int pixelSize) const {
  int h = 0;
  pango_layout_get_pixel_size(at(pixelSize), nullptr, &h);
  return h;
}

Ink PangoLabelText::ink(int pixelSize) const {
  PangoRectangle ink;
  pango_layout_get_pixel_extents(at(pixelSize), &ink, nullptr);
  return {.top = ink.y, .bottom = ink.y + ink.height};
}

}  // namespace kelvory::wl
