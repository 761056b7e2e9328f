#include "platform/core/program.h"
#include "platform/template/template_desktop.h"

namespace kelvory {

// A new desktop sets up its window system here, from the command line.
int RunDesktop(int, char**, const Game& game) {
  TemplateDesktop desktop;
  return RunGame(desktop, game);
}

}  // namespace kelvory
