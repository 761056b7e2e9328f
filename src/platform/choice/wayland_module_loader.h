#pragma once

#include <optional>

#include "platform/core/program.h"

namespace kelvory {

// Loads the Wayland desktop's module and runs the game on it when the
// session's compositor offers the layer shell. Nothing when it does not, or
// when there is no module to load (a build without libwayland) or it does
// not load (said on stderr): the caller then runs through X11, and the
// module is gone again. When the Wayland desktop is required, a module
// missing or not loading is said and ends the program (status 1).
std::optional<int> RunWaylandModule(int argc, char** argv, const Game& game, bool required);

}  // namespace kelvory
