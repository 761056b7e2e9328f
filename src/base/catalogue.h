#pragma once

#include <cstdint>
#include <string_view>

namespace kelvory {

class Random;

constexpr int kSpeciesCount = 13;

struct FishInfo {
  std::string_view Name;
  std::int32_t NearWeight;  // weight with the float at position 0
  std::int32_t FarWeight;   // weight with the float at position == span
};

// The catalogue entry of species index (0 to 12).
const FishInfo& GetFishInfo(int index);

// The species on the hook: a weighted draw in which each species' weight
// runs along the straight line from its near to its far weight as the float
// lies farther out. Always a species index 0 to 12.
std::int32_t ChooseFish(std::int32_t span, std::int32_t position, Random& rnd);

}  // namespace kelvory
