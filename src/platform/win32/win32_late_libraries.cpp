#include "platform/win32/win32_late_libraries.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <mmsystem.h>

#include <array>
#include <string>
#include <string_view>

namespace kelvory::win32 {
namespace {

// An entry point of a system library, which then stays loaded for the
// program's life; null where the library or the entry is missing.
template <class Fn>
Fn Entry(const std::wstring& library, const char* name) {
  const HMODULE module = library.empty() ? nullptr : LoadLibraryW(library.c_str());
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The system's own copy by its full path: a DLL of that name lying beside
// the program is never loaded in its place.
std::wstring SystemLibrary(std::wstring_view file) {
  std::array<wchar_t, MAX_PATH> folder{};
  const UINT n = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (n == 0 || n >= folder.size()) return {};
  return std::wstring(folder.data(), n) + L'\\' + std::wstring(file);
}

using TimePeriod = MMRESULT(WINAPI*)(UINT);

}  // namespace

void UseCommonControls() {
  static const bool ready = [] {
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    // By name: the manifest's common controls 6, from the system's
    // side-by-side store, answer before any folder is searched.
    const auto init = Entry<Init>(L"comctl32.dll", "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    return init != nullptr && init(&controls) != FALSE;
  }();
  static_cast<void>(ready);
}

void FineClock::need() {
  if (asked_) return;
  asked_ = true;
  const std::wstring winmm = SystemLibrary(L"winmm.dll");
  const auto begin = Entry<TimePeriod>(winmm, "timeBeginPeriod");
  const auto end = Entry<TimePeriod>(winmm, "timeEndPeriod");
  if (begin != nullptr && end != nullptr && begin(1) == TIMERR_NOERROR) end_ = end;
}

FineClock::~FineClock() {
  if (end_ != nullptr) end_(1);
}

}  // namespace kelvory::win32
