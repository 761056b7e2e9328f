#pragma once

#include <pango/pangocairo.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "platform/core/label_fit.h"
#include "platform/types.h"

namespace kelvory::wl {

// The game's fonts in Pango, at the pixel sizes the other desktops give
// them (points at 96 dots an inch), with the same stand-ins for the faces
// of a Japanese system.
class Fonts {
 public:
  Fonts();
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // The font's em in layout pixels.
  static int PixelSize(const Font& font);
  // Described at its own size, or at pixelSize when one is given.
  const PangoFontDescription* describe(const Font& font, int pixelSize = 0) const;
  // A layout for measuring, not tied to any picture.
  PangoLayout* measuring() const { return measuring_; }
  // The text's advance on one line, layout pixels.
  double width(const Font& font, std::string_view text) const;

 private:
  struct DescriptionFree {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
  };
  using Key = std::tuple<std::string, double, bool, bool, int>;

  std::set<std::string, std::less<>> installed_;
  PangoContext* context_ = nullptr;
  PangoLayout* measuring_ = nullptr;
  mutable std::map<Key, std::unique_ptr<PangoFontDescription, DescriptionFree>> described_;
};

// A label's text measured by Pango for the fitting rules every desktop
// shares.
class PangoLabelText final : public LabelText {
 public:
  PangoLabelText(const Fonts& fonts, const Font& font, std::string_view text);
  int wrappedHeight(int pixelSize, int width) const override;
  int lineWidth(int pixelSize) const override;
  int lineHeight(int pixelSize) const override;
  Ink ink(int pixelSize) const override;

 private:
  // The measuring layout set to this text at this size, unwrapped.
  PangoLayout* at(int pixelSize) const;

  const Fonts& fonts_;
  const Font& font_;
  std::string_view text_;
};

// Lays text out in a layout: the font at a size, wrapped at words into
// width when it is positive.
void SetText(PangoLayout* layout, const Fonts& fonts, const Font& font, int pixelSize,
             std::string_view text, int width);

}  // namespace kelvory::wl
