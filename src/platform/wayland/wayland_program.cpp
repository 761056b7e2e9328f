#include "platform/wayland/wayland_program.h"

#include <cstdio>

#include "platform/wayland/wayland_desktop.h"

namespace kelvory {

std::optional<int> RunWaylandDesktop(int argc, char** argv, const Game& game) {
  auto connection = wl::Connection::Open();
  if (!connection || !connection->complete()) return std::nullopt;
  if (argc > 1) {
    std::fprintf(stderr, "kelvory: unknown option %s\n%s", argv[1], ProgramUsage());
    return 2;
  }
  WaylandDesktop desktop(std::move(connection));
  return RunGame(desktop, game);
}

}  // namespace kelvory
