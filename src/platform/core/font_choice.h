#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace kelvory {

// Whether the system has a face of this name.
using FaceInstalled = std::function<bool(std::string_view face)>;

// The face to draw a font in. The game names the faces of a Japanese
// system; elsewhere the nearest face that is installed and covers the same
// text stands in. Empty: none of them is there, and the system's default
// face of the kind (serif or not) is taken.
std::string ChosenFace(const Font& font, const FaceInstalled& installed);

// The font's size in points; a font that names none is drawn at 9.
double ChosenPoints(const Font& font);

}  // namespace kelvory
