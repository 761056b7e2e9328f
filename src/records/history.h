#pragma once

#include <array>
#include <vector>

#include "base/catalogue.h"
#include "base/game_window.h"

namespace kelvory {

// frmList: the catch history, a grid of the species caught so far with their
// counts under the mouse; it can clear the whole record. Shown modal.
class HistoryWindow final : public GameWindow {
 public:
  explicit HistoryWindow(Scene& scene);

  void mouseMove(ControlId ctrl);
  void clicked(ControlId ctrl);

  std::array<Control*, kSpeciesCount> Picture1{};
  Control* Label2 = nullptr;
  Control* Command1 = nullptr;
  Control* Command2 = nullptr;

 private:
  void clearRecord();

  std::vector<ControlId> surface_;  // the frame and grid lines count as surface
};

}  // namespace kelvory
