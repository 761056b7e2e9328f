#include <windows.h>

#include "app/run.h"
#include "base/settings.h"
#include "platform/profile.h"
#include "platform/win32/win32_desktop.h"

// Linked as a GUI program (-mwindows): no console comes up, and the C
// runtime still enters through main.
int main() {
  // Real pixels, not a bitmap stretched by the system: the figures are cut
  // to the pixel. The manifest already says so; this only counts for a copy
  // whose manifest was lost, and does nothing otherwise.
  SetProcessDPIAware();

  kelvory::Win32Desktop desktop;
  // One copy per settings file: a second one would overwrite the first
  // one's catches. The system drops the lock with the process.
  const kelvory::files::CopyLock lock(kelvory::SettingsPath(desktop.programFolder()));
  if (lock.taken()) {
    desktop.messageBox(kelvory::kAlreadyRunningMessage, kelvory::MsgButtons::Ok,
                       kelvory::MsgIcon::None);
    return 0;
  }
  return kelvory::RunToy(desktop);
}
