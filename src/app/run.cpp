#include "app/run.h"

#include <chrono>
#include <cstdint>

#include "app/toy_scene.h"
#include "base/random.h"

namespace kelvory {

int RunToy(Desktop& desktop) {
  const auto clockMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
  LcgRandom random(static_cast<std::uint32_t>(clockMs));
  ToyScene scene(desktop, random);
  scene.start();
  desktop.waitUntil(Desktop::kNever, [] { return false; });
  return 0;
}

}  // namespace kelvory
