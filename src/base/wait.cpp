#include "base/wait.h"

#include <cmath>

#include "base/catalogue.h"
#include "base/scene.h"

namespace kelvory {

void WaitMs(Scene& scene, double ms) {
  if (!(ms > 0)) return;
  // A 64-bit monotonic clock cannot wrap, and whole milliseconds keep the
  // deadline exact.
  const Desktop::Ms deadline = scene.desktop.now() + static_cast<Desktop::Ms>(std::ceil(ms));
  scene.desktop.waitUntil(deadline, [] { return false; });
}

std::string FishName(int index) {
  if (index < 0 || index >= kSpeciesCount) return {};
  return std::string(GetFishInfo(index).Name);
}

}  // namespace kelvory
