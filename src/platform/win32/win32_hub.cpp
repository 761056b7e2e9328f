#include "platform/win32/win32_hub.h"

#include <utility>

namespace kelvory::win32 {
namespace {

constexpr const wchar_t* kHubClass = L"KelvoryHub";

}  // namespace

Hub::Hub(std::function<void(UINT_PTR)> onTimer) : onTimer_(std::move(onTimer)) {
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

LRESULT CALLBACK Hub::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Hub*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self != nullptr && message == WM_TIMER) {
    self->onTimer_(wParam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kelvory::win32
