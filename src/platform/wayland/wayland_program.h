#pragma once

#include <optional>

#include "platform/core/program.h"

namespace kelvory {

// Runs the game on the session's Wayland compositor when it offers the
// layer shell; nothing when there is no compositor or it lacks the layer
// shell, so that the caller runs another desktop.
std::optional<int> RunWaylandDesktop(int argc, char** argv, const Game& game);

}  // namespace kelvory
