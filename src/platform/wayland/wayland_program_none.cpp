#include "platform/wayland/wayland_program.h"

namespace kelvory {

// Built without libwayland: every session runs through X11.
std::optional<int> RunWaylandDesktop(int, char**, const Game&) { return std::nullopt; }

}  // namespace kelvory
