#include "platform/win32/win32_hub.h"

#include <utility>

namespace kelvory::win32 {
namespace {

constexpr const wchar_t* kHubClass = L"KelvoryHub";
constexpr UINT kScreenChanged = WM_APP + 1;

}  // namespace

Hub::Hub(std::function<void(UINT_PTR)> onTimer, std::function<void()> onScreenChanged)
    : onTimer_(std::move(onTimer)), onScreenChanged_(std::move(onScreenChanged)) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kHubClass;
  RegisterClassExW(&wc);
  hwnd_.reset(CreateWindowExW(0, kHubClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr));
  if (hwnd_) SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Hub::~Hub() {
  if (hwnd_) SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
}

void Hub::noteScreenChanged() {
  if (screenNotePending_ || !hwnd_) return;
  screenNotePending_ = PostMessageW(hwnd_.get(), kScreenChanged, 0, 0) != FALSE;
}

LRESULT CALLBACK Hub::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Hub*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_TIMER) {
      self->onTimer_(wParam);
      return 0;
    }
    if (message == kScreenChanged) {
      self->screenNotePending_ = false;
      self->onScreenChanged_();
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kelvory::win32
