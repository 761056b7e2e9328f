#include "platform/core/pixel_grid.h"

#include <algorithm>
#include <cmath>

namespace kelvory {
namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kBaseDpi = 96;
// The pictures are drawn for this many twips a pixel.
constexpr int kPictureTwips = 15;

int WholeAtLeastOne(double value) { return std::max(1, static_cast<int>(std::lround(value))); }

}  // namespace

int PixelGrid::px(double twips) const {
  return static_cast<int>(std::nearbyint(twips / twipsPerPixel)) * deviceScale;
}

PixelRect PixelGrid::box(const Twips& twips) const {
  return {px(twips.left), px(twips.top), px(twips.left + twips.width),
          px(twips.top + twips.height)};
}

double PixelGrid::twips(double devicePx) const { return devicePx * twipsPerPixel / deviceScale; }

PixelGrid LogicalGrid(double logicalDpi) {
  if (!(logicalDpi > 0)) logicalDpi = kBaseDpi;
  const int twips = WholeAtLeastOne(kTwipsPerInch / logicalDpi);
  return {.twipsPerPixel = twips,
          .deviceScale = 1,
          .pictureScale = WholeAtLeastOne(static_cast<double>(kPictureTwips) / twips)};
}

PixelGrid DeviceGrid(double dpi) {
  if (!(dpi > 0)) dpi = kBaseDpi;
  const int scale = WholeAtLeastOne(dpi / kBaseDpi);
  return {.twipsPerPixel = kPictureTwips, .deviceScale = scale, .pictureScale = scale};
}

}  // namespace kelvory
