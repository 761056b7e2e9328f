#include <windows.h>

#include "app/run.h"
#include "platform/win32/win32_desktop.h"

// Linked as a GUI program (-mwindows): no console comes up, and the C
// runtime still enters through main.
int main() {
  // Real pixels, not a bitmap stretched by the system: the figures are cut
  // to the pixel. The manifest already says so; this only counts for a copy
  // whose manifest was lost, and does nothing otherwise.
  SetProcessDPIAware();

  // One angler on the taskbar: a second copy would also overwrite the first
  // one's catches. The system drops the mutex with the process.
  const HANDLE running = CreateMutexW(nullptr, FALSE, L"Local\\Kelvory.Running");
  if (running != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  kelvory::Win32Desktop desktop;
  return kelvory::RunToy(desktop);
}
