#include "platform/core/label_fit.h"

namespace kelvory {
namespace {

// Smaller than this no text is read: it is drawn cut instead.
constexpr int kSmallestPixelSize = 6;

// The lift that centres a single line's ink in the label, or nothing yet
// when the ink is taller than the label.
bool Lift(const Ink& ink, int height, int& lift) {
  if (ink.bottom <= height) return true;
  const int inkHeight = ink.bottom - ink.top;
  if (inkHeight > height) return false;
  lift = ink.top - (height - inkHeight) / 2;
  return true;
}

}  // namespace

LabelFit FitLabel(const LabelText& text, int pixelSize, int width, int height) {
  LabelFit fit{.pixelSize = pixelSize};
  if (text.wrappedHeight(pixelSize, width) > height && text.lineHeight(pixelSize) * 2 > height) {
    fit.wrap = false;
    while (fit.pixelSize > kSmallestPixelSize && text.lineWidth(fit.pixelSize) > width) {
      --fit.pixelSize;
    }
  }
  const bool oneLine = !fit.wrap || text.lineWidth(fit.pixelSize) <= width;
  if (!oneLine) return fit;
  while (!Lift(text.ink(fit.pixelSize), height, fit.lift)) {
    if (fit.pixelSize <= kSmallestPixelSize) break;
    --fit.pixelSize;
  }
  return fit;
}

}  // namespace kelvory
