#pragma once

namespace kelvory::qt {

// The pictures are pixel art and scale by whole factors only, as the
// Windows build does: a fractional factor (QT_SCALE_FACTOR=1.5, a screen of
// 144 DPI) becomes the nearest whole one, so every picture pixel is a
// square of whole device pixels and windows that meet leave no seam.
// Call before the application object is made.
void UseWholeScaleFactors();

}  // namespace kelvory::qt
