#pragma once

#include <string>

namespace kelvory {

class Scene;

// Pauses for at least ms milliseconds by the monotonic clock while the
// program keeps handling its messages, so timers and clicks run inside the
// pause. Returns at once, handling nothing, for 0 or less.
void WaitMs(Scene& scene, double ms);

// The display name of species index (below kSpeciesCount); empty for any
// other index.
std::string FishName(int index);

}  // namespace kelvory
