#include "app/run.h"
#include "assets/pictures.h"
#include "base/settings.h"
#include "platform/core/program.h"

// The program on a real desktop: the desktop it is linked with takes the
// command line, and the game comes in through this one hand-off.
int main(int argc, char** argv) {
  return kelvory::RunDesktop(argc, argv,
                             {
                                 .icon = &kelvory::assets::icon(),
                                 .settingsFile = kelvory::SettingsPath,
                                 .alreadyRunning = kelvory::kAlreadyRunningMessage,
                                 .run = kelvory::RunToy,
                             });
}
