#pragma once

#include "base/game_window.h"

namespace kelvory {

// frm_Version: the version window, centred on the screen, shown modal.
class VersionWindow final : public GameWindow {
 public:
  explicit VersionWindow(Scene& scene);
  void clicked(ControlId ctrl);

  Control& Command1;
};

}  // namespace kelvory
