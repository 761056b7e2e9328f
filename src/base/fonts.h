#pragma once

#include "platform/types.h"

namespace kelvory {

// The program's Japanese face; a desktop without it falls back to one of
// its own with the same glyphs.
inline constexpr const char* kJapaneseFace = "ＭＳ Ｐゴシック";

// Dialog texts and buttons: 9 pt.
inline const Font& DialogFont() {
  static const Font font{kJapaneseFace, 9};
  return font;
}

// The panel's clock and the balloon: 8.25 pt.
inline const Font& SmallFont() {
  static const Font font{kJapaneseFace, 8.25};
  return font;
}

}  // namespace kelvory
