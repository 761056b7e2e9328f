#include "platform/core/program.h"

#include <cstdio>

#include "platform/desktop.h"
#include "platform/profile.h"

namespace kelvory {

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
