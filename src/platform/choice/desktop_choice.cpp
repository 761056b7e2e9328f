#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/choice/wayland_module_loader.h"
#include "platform/core/desktop_plan.h"
#include "platform/core/program.h"
#include "platform/qt/qt_program.h"

namespace kelvory {

int RunDesktop(int argc, char** argv, const Game& game) {
  // Answer before any desktop needs a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(ProgramUsage(), stdout);
      return 0;
    }
  }
  const char* forced = std::getenv("KELVORY_DESKTOP");
  const DesktopPlan plan =
      PlanDesktop(forced != nullptr ? forced : "", std::getenv("WAYLAND_DISPLAY") != nullptr);
  if (!plan.error.empty()) {
    std::fprintf(stderr, "kelvory: %s\n", plan.error.c_str());
    return 2;
  }
  if (plan.tryWayland) {
    if (const auto status = RunWaylandModule(argc, argv, game, !plan.x11Otherwise)) return *status;
  }
  if (!plan.x11Otherwise) {
    std::fputs(
        "kelvory: KELVORY_DESKTOP=wayland, but no Wayland compositor with the layer shell "
        "(zwlr_layer_shell_v1) answers; unset it to run through XWayland\n",
        stderr);
    return 1;
  }
  return RunQtDesktop(argc, argv, game);
}

}  // namespace kelvory
