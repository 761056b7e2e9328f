#pragma once

#include <cstdint>
#include <string_view>

namespace kelvory {

class Random;

// How many species there are: it sizes the catch counts, the outline table,
// the pictures and the history grid. A species more is a row of kCatalogue
// (catalogue.cpp) and its two pictures (assets/pictures.cpp).
inline constexpr int kSpeciesCount = 13;

struct FishInfo {
  std::string_view Name;
  std::int32_t NearWeight;  // weight with the float at position 0
  std::int32_t FarWeight;   // weight with the float at position == span
};

// The catalogue entry of species index (0 to kSpeciesCount - 1).
const FishInfo& GetFishInfo(int index);

// The species on the hook: a weighted draw in which each species' weight
// runs along the straight line from its near to its far weight as the float
// lies farther out. Always a species index below kSpeciesCount.
std::int32_t ChooseFish(std::int32_t span, std::int32_t position, Random& rnd);

}  // namespace kelvory
