#include "base/random.h"

namespace kelvory {

float LcgRandom::next() {
  state_ = (state_ * 1140671485u + 12820163u) & kMask;
  return static_cast<float>(state_) / static_cast<float>(kMask + 1);
}

void LcgRandom::reseed(std::int64_t clockMs) {
  // Mix the reading with the generator's own seed so that two runs with
  // different seeds differ even at the same virtual time.
  std::uint64_t x = static_cast<std::uint64_t>(clockMs) * 0x9E3779B97F4A7C15ull ^ seed_;
  x ^= x >> 29;
  state_ = static_cast<std::uint32_t>(x) & kMask;
}

}  // namespace kelvory
