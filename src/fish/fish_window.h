#pragma once

#include <cstdint>

#include "base/game_window.h"

namespace kelvory {

// frmFish: the landed fish (or the empty hook) rising out of the water
// beside the angler, loaded for one display and unloaded at its end.
class FishWindow final : public GameWindow {
 public:
  explicit FishWindow(Scene& scene);

  // Drags the float in, counts the fish, shows it with its name, waits and
  // unloads itself. fishIndex is ignored when hooked is false.
  void getFish(std::int32_t fishIndex, bool hooked);

  Timer& Timer1;  // wriggle
  std::int32_t FishBaseLeft = 0;

 private:
  void wriggle();
  void dragFloat();
  void count(std::int32_t fishIndex);
  void rise();
};

}  // namespace kelvory
