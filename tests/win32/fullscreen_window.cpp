// A stand-in for a fullscreen game or film: a plain grey window that
// covers the whole primary monitor, in front, for as many seconds as the
// first argument says (default 6).
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER || message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const UINT seconds = argc > 1 ? static_cast<UINT>(std::atoi(argv[1])) : 6;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = L"KelvoryTestFullscreen";
  RegisterClassExW(&wc);
  const HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"fullscreen", WS_POPUP, 0, 0,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                    nullptr, nullptr, wc.hInstance, nullptr);
  if (hwnd == nullptr) return 1;
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetTimer(hwnd, 1, seconds * 1000, nullptr);
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  DestroyWindow(hwnd);
  return 0;
}
