#pragma once

#include <memory>

#include "base/game_window.h"

namespace kelvory {

// frmV: the small triangle over a hooked float, blue while the fish rests
// and red while it pulls. Loaded at first use and kept.
std::unique_ptr<GameWindow> MakeMarker(Scene& scene);

}  // namespace kelvory
