#include "platform/core/desktop_plan.h"

namespace kelvory {

DesktopPlan PlanDesktop(std::string_view forced, bool waylandSession) {
  if (forced == "x11") return {.x11Otherwise = true};
  if (forced == "wayland") return {.tryWayland = true};
  if (!forced.empty()) {
    return {.error = "KELVORY_DESKTOP must be x11 or wayland, not \"" + std::string(forced) + "\""};
  }
  return {.tryWayland = waylandSession, .x11Otherwise = true};
}

}  // namespace kelvory
