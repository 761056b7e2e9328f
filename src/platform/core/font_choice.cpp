#include "platform/core/font_choice.h"

#include <array>

namespace kelvory {
namespace {

constexpr double kDefaultPoints = 9;

// Stand-ins in order of likeness; the IPA faces ship with Debian's
// fonts-ipafont packages.
constexpr std::array<std::string_view, 4> kGothic{"MS Gothic", "IPAGothic", "Meiryo", "Tahoma"};
constexpr std::array<std::string_view, 4> kProportionalGothic{"MS UI Gothic", "IPAPGothic",
                                                              "Meiryo", "Tahoma"};
constexpr std::array<std::string_view, 4> kMincho{"IPAMincho", "MS Mincho", "Times New Roman",
                                                  "Tahoma"};
constexpr std::array<std::string_view, 4> kProportionalMincho{"IPAPMincho", "MS Mincho",
                                                              "Times New Roman", "Tahoma"};

// A full-width or plain "P" marks the proportional member of a family.
bool Proportional(std::string_view face) {
  return face.find("\xEF\xBC\xB0") != std::string_view::npos ||
         face.find(" P") != std::string_view::npos;
}

}  // namespace

std::string ChosenFace(const Font& font, const FaceInstalled& installed) {
  if (!font.face.empty() && installed(font.face)) return font.face;
  const bool proportional = Proportional(font.face);
  const auto& candidates = font.serif ? (proportional ? kProportionalMincho : kMincho)
                                      : (proportional ? kProportionalGothic : kGothic);
  for (const std::string_view face : candidates) {
    if (installed(face)) return std::string(face);
  }
  return {};
}

double ChosenPoints(const Font& font) { return font.points > 0 ? font.points : kDefaultPoints; }

}  // namespace kelvory
