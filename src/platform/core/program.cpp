#include "platform/core/program.h"

#include <cstdio>

#include "platform/desktop.h"
#include "platform/profile.h"

namespace kelvory {

const char* ProgramUsage() {
  return "Usage: kelvory [--help]\n"
         "A small fishing toy on the top edge of the taskbar.\n"
         "Right-click the reel button for the menu.\n"
         "The catches are kept in $XDG_CONFIG_HOME/kelvory/KVY.ini (~/.config/kelvory/),\n"
         "or in a KVY.ini beside the program when there is one.\n"
         "On Wayland it stands in the compositor's layer shell where there is one\n"
         "(sway, KDE Plasma, Hyprland...), and runs through XWayland elsewhere;\n"
         "KELVORY_DESKTOP=x11 or KELVORY_DESKTOP=wayland chooses.\n"
         "Set KELVORY_TRACE to log the game's timing moments to stderr.\n";
}

int RunGame(Desktop& desktop, const Game& game) {
  const files::CopyLock lock(game.settingsFile(desktop.programFolder()));
  if (lock.taken()) {
    std::fputs("kelvory: already running\n", stderr);
    desktop.messageBox(game.alreadyRunning, MsgButtons::Ok, MsgIcon::None);
    return 0;
  }
  return game.run(desktop);
}

}  // namespace kelvory
