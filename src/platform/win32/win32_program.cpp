#include <windows.h>

#include "platform/core/program.h"
#include "platform/win32/win32_desktop.h"

namespace kelvory {

// Linked as a GUI program (-mwindows): no console comes up, the C runtime
// still enters through main, and the command line means nothing.
int RunDesktop(int, char**, const Game& game) {
  // Real pixels, not a bitmap stretched by the system: the figures are cut
  // to the pixel. The manifest already says so; this only counts for a copy
  // whose manifest was lost, and does nothing otherwise.
  SetProcessDPIAware();
  Win32Desktop desktop(game.icon);
  return RunGame(desktop, game);
}

}  // namespace kelvory
