#pragma once

#include <iosfwd>

namespace kelvory {

// Every window outline, one JSON object a line: its table and index, its
// rectangles, their bounds, the window's size and the pixels the outline
// leaves visible in it, so the numbers can be checked against the pictures.
void PrintShapes(std::ostream& out);

}  // namespace kelvory
