#pragma once

#include "platform/core/program.h"

namespace kelvory {

// Runs the game on Qt: X11, or XWayland in a Wayland session.
int RunQtDesktop(int argc, char** argv, const Game& game);

}  // namespace kelvory
