#include "base/catalogue.h"

#include <array>
#include <cmath>

#include "base/random.h"
#include "base/vbmath.h"

namespace kelvory {
namespace {

constexpr std::array<FishInfo, kSpeciesCount> kCatalogue{{
    {"かわはぎ", 10, 2},
    {"きんめだい", 1, 2},
    {"かさご", 10, 2},
    {"おびあなはぜ", 1, 3},
    {"かれい", 5, 1},
    {"ふぐ", 20, 10},
    {"さば", 10, 10},
    {"いしだい", 1, 2},
    {"めじな", 5, 5},
    {"たい", 2, 3},
    {"いか", 1, 10},
    {"たこ", 5, 5},
    {"かに", 5, 5},
}};

}  // namespace

const FishInfo& GetFishInfo(int index) { return kCatalogue.at(static_cast<std::size_t>(index)); }

std::int32_t ChooseFish(std::int32_t span, std::int32_t position, Random& rnd) {
  std::array<double, kSpeciesCount> weight{};
  double total = 0;
  for (int i = 0; i < kSpeciesCount; ++i) {
    const FishInfo& info = kCatalogue[static_cast<std::size_t>(i)];
    // A zero span would divide by zero; the float then counts as near.
    const double slope =
        span == 0 ? 0.0 : static_cast<double>(info.FarWeight - info.NearWeight) / span;
    weight[static_cast<std::size_t>(i)] = slope * position + info.NearWeight;
    total += weight[static_cast<std::size_t>(i)];
  }
  const std::int32_t r = Round(static_cast<double>(rnd.next()) * total);
  double running = 0;
  for (int j = 0; j < kSpeciesCount; ++j) {
    running += weight[static_cast<std::size_t>(j)];
    if (r <= running) return j;
  }
  // Rounding r up can carry it past the total; the last species that can be
  // caught at all takes it.
  for (int j = kSpeciesCount - 1; j >= 0; --j) {
    if (weight[static_cast<std::size_t>(j)] > 0) return j;
  }
  return kSpeciesCount - 1;
}

}  // namespace kelvory
