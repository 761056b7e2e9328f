#pragma once

#include <memory>

#include "base/game_window.h"

namespace kelvory {

// frmSea: the thin strip of blue water along the taskbar. No code of its own.
std::unique_ptr<GameWindow> MakeSea(Scene& scene);

}  // namespace kelvory
