#pragma once

#include <cmath>
#include <cstdint>

namespace kelvory {

// Window coordinates are whole twips held in doubles; these are the
// conversions the game's arithmetic relies on.

// Nearest integer, halves to even.
inline std::int32_t Round(double x) { return static_cast<std::int32_t>(std::nearbyint(x)); }

// Floor.
inline std::int32_t Int(double x) { return static_cast<std::int32_t>(std::floor(x)); }

// Integer division of coordinates: both operands rounded, quotient truncated
// toward zero.
inline std::int32_t IDiv(double a, double b) { return Round(a) / Round(b); }

// A length rounded, then halved with the remainder dropped.
inline std::int32_t Half(double x) { return Round(x) / 2; }

}  // namespace kelvory
