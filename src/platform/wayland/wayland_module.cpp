#include "platform/wayland/wayland_module.h"

#include <type_traits>

#include "platform/wayland/wayland_program.h"

// The module's one visible symbol; the rest of it, its own copy of the
// shared core included, stays inside.
extern "C" [[gnu::visibility("default")]] int kelvory_run_wayland(int argc, char** argv,
                                                                  const kelvory::Game* game) {
  return kelvory::RunWaylandDesktop(argc, argv, *game).value_or(kelvory::wl::kNoLayerShell);
}

static_assert(std::is_same_v<decltype(kelvory_run_wayland), kelvory::wl::ModuleEntry>);
