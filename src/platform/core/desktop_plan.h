#pragma once

#include <string>
#include <string_view>

namespace kelvory {

// Which desktop a Linux session gets. The layer shell places the figures
// on a Wayland compositor that offers it; elsewhere (X11, or GNOME's
// compositor without it) X11 does, through XWayland on Wayland.
struct DesktopPlan {
  bool tryWayland = false;    // if the compositor offers the layer shell
  bool x11Otherwise = false;  // else, or at once when Wayland is not tried
  std::string error;          // the setting makes no sense: say so and end
};

// forced: KELVORY_DESKTOP ("" when unset); waylandSession: WAYLAND_DISPLAY
// is set.
DesktopPlan PlanDesktop(std::string_view forced, bool waylandSession);

}  // namespace kelvory
