#pragma once

#include <cstdint>

namespace kelvory {

// The program's one uniform generator in [0, 1).
class Random {
 public:
  virtual ~Random() = default;
  virtual float next() = 0;
  // Re-seeds from the clock (milliseconds); the sequence that follows depends
  // only on that reading and the generator's own seed.
  virtual void reseed(std::int64_t clockMs) = 0;
};

// A 24-bit linear congruential generator, the classic BASIC one: small,
// fast, and identical on every platform.
class LcgRandom final : public Random {
 public:
  explicit LcgRandom(std::uint32_t seed = 1) : seed_(seed), state_(seed & kMask) {}
  float next() override;
  void reseed(std::int64_t clockMs) override;

 private:
  static constexpr std::uint32_t kMask = 0xFFFFFF;
  std::uint32_t seed_;
  std::uint32_t state_;
};

}  // namespace kelvory
