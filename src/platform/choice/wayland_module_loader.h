#pragma once

#include <optional>

#include "platform/core/program.h"

namespace kelvory {

// Loads the Wayland desktop's module and runs the game on it when the
// session's compositor offers the layer shell. Nothing when it does not, or
// when there is no module to load (a build without libwayland, said on
// stderr when sayMissing, or one that does not load, always said): the
// caller then runs through X11, and the module is gone again.
std::optional<int> RunWaylandModule(int argc, char** argv, const Game& game, bool sayMissing);

}  // namespace kelvory
