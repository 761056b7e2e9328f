#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace kelvory {

class Desktop;

// What the program hands a desktop: the game to run and what the desktop
// shows of it. The desktops know no more of the game than this.
struct Game {
  // The picture of the program's icon: dialogs, the taskbar, the menu entry.
  const Bitmap* icon = nullptr;
  // Where the settings live in a folder: one running copy per file.
  std::string (*settingsFile)(std::string_view folder) = nullptr;
  // Told to a copy started on a file another copy already runs on.
  std::string_view alreadyRunning;
  // Runs the game on the desktop until it ends itself.
  int (*run)(Desktop& desktop) = nullptr;
};

// A desktop's start: it sets up its window system from the command line,
// makes its Desktop and ends in RunGame. Each desktop library defines it
// once; the program's main calls it.
int RunDesktop(int argc, char** argv, const Game& game);

// What `kelvory --help` prints.
const char* ProgramUsage();

// The one start-up every desktop ends in: a second copy on the same
// settings file says so and ends, since it would overwrite the first one's
// catches; otherwise the game runs. The lock goes with the process, however
// it ends.
int RunGame(Desktop& desktop, const Game& game);

}  // namespace kelvory
