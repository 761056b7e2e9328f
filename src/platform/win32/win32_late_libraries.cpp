#include "platform/win32/win32_late_libraries.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <mmsystem.h>

namespace kelvory::win32 {
namespace {

// An entry point of a system library, which then stays loaded for the
// program's life; null where the library or the entry is missing.
template <class Fn>
Fn Entry(const wchar_t* library, const char* name) {
  const HMODULE module = LoadLibraryW(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using TimePeriod = MMRESULT(WINAPI*)(UINT);

}  // namespace

void UseCommonControls() {
  static const bool ready = [] {
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = Entry<Init>(L"comctl32.dll", "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    return init != nullptr && init(&controls) != FALSE;
  }();
  static_cast<void>(ready);
}

void FineClock::need() {
  if (asked_) return;
  asked_ = true;
  const auto begin = Entry<TimePeriod>(L"winmm.dll", "timeBeginPeriod");
  set_ = begin != nullptr && begin(1) == TIMERR_NOERROR;
}

FineClock::~FineClock() {
  if (!set_) return;
  if (const auto end = Entry<TimePeriod>(L"winmm.dll", "timeEndPeriod")) end(1);
}

}  // namespace kelvory::win32
