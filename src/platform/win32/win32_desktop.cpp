#include "platform/win32/win32_desktop.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/core/menu_entries.h"
#include "platform/core/message_box.h"
#include "platform/core/screen_layout.h"
#include "platform/profile.h"
#include "platform/win32/win32_late_libraries.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"

namespace kelvory {
namespace {

// The hub's timer for the fullscreen check; the game's timers count up from 1.
constexpr UINT_PTR kFullscreenCheck = 0x7FFF0001;

constexpr BoxIcons<UINT> kBoxIcons{
    .none = 0, .question = MB_ICONQUESTION, .warning = MB_ICONWARNING, .error = MB_ICONERROR};

int ScreenDpi() {
  const win32::ScreenDc dc;
  return dc.get() != nullptr ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
}

// The system timer's usual period, rounded up: a ten-millisecond timer or
// wait needs it finer.
constexpr int kCoarseTickMs = 16;

// Messages a wait may take in one go once its deadline has passed: what fell
// due still runs, but a timer whose handler outlasts its interval cannot
// keep the wait from ending.
constexpr int kDrainLimit = 256;

}  // namespace

Win32Desktop::Win32Desktop(const Bitmap* icon) {
  QueryPerformanceFrequency(&frequency_);
  QueryPerformanceCounter(&start_);
  resources_.setDpi(ScreenDpi());
  win32::DeskWindow::registerClass();
  if (icon != nullptr) icon_ = win32::MakeIcon(*icon);
  hub_ = std::make_unique<win32::Hub>([this](UINT_PTR id) { onHubTimer(id); });
  // Once a second: no message tells a program that another went fullscreen.
  fullscreenCheck_ = win32::WindowTimer(hub_->hwnd(), kFullscreenCheck, 1000);
}

Win32Desktop::~Win32Desktop() {
  fullscreenCheck_ = win32::WindowTimer();
  running_.clear();
  closeAll();
  hub_.reset();
}

// --- screen, clock, calendar ------------------------------------------------

ScreenMetrics Win32Desktop::metrics() const {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  RECT work{0, 0, width, height};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return LayoutMetrics({.width = width,
                        .height = height,
                        .workAreaBottom = work.bottom,
                        .dialogFrame = win32::DeskWindow::dialogFrame()},
                       resources_.grid());
}

Desktop::Ms Win32Desktop::now() const {
  LARGE_INTEGER t{};
  QueryPerformanceCounter(&t);
  const long long ticks = t.QuadPart - start_.QuadPart;
  const long long hz = std::max<long long>(1, frequency_.QuadPart);
  // Split so the product cannot overflow however long the program runs.
  return ticks / hz * 1000 + ticks % hz * 1000 / hz;
}

LocalTime Win32Desktop::localTime() const {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void Win32Desktop::screenChanged() { noteScreenChange(); }

void Win32Desktop::readScreen() { resources_.setDpi(ScreenDpi()); }

// --- windows ------------------------------------------------------------------

std::unique_ptr<NativeWindow> Win32Desktop::makeWindow(WindowId id, const WindowDesc& desc) {
  return std::make_unique<win32::DeskWindow>(id, desc, resources_, batch_, reports(), icon_.get());
}

double Win32Desktop::textWidth(const Font& font, std::string_view text) const {
  const std::wstring wide = win32::Widen(text);
  const win32::ScreenDc dc;
  if (dc.get() == nullptr) return 0;
  const win32::Selection selected(dc.get(), resources_.font(font));
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return resources_.grid().twips(size.cx);
}

// --- menus and message boxes ---------------------------------------------------------

std::optional<int> Win32Desktop::trackMenu(NativeWindow& owner,
                                           const std::vector<MenuItemDesc>& items) {
  const HWND hwnd = static_cast<win32::DeskWindow&>(owner).hwnd();
  if (hwnd == nullptr) return std::nullopt;
  // Win32 menus cannot hide an item: the menu is built afresh each time.
  const win32::MenuHandle menu(CreatePopupMenu());
  if (!menu) return std::nullopt;
  for (const MenuEntry& entry : MenuEntries(items)) {
    if (entry.separator) {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(entry.command),
                  win32::Widen(entry.caption).c_str());
    }
  }
  // The menu runs its own message loop.
  batch_.apply();
  POINT at{};
  GetCursorPos(&at);
  // Without the foreground the menu would not close on a click elsewhere.
  SetForegroundWindow(hwnd);
  const auto command = static_cast<int>(TrackPopupMenuEx(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, hwnd, nullptr));
  PostMessageW(hwnd, WM_NULL, 0, 0);
  return ChosenItem(command);
}

void Win32Desktop::closeMenu() { EndMenu(); }

MsgAnswer Win32Desktop::showMessageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  batch_.apply();
  const bool yesNo = buttons == MsgButtons::YesNo;
  // Task-modal: every window of ours waits; on top, as the figures are.
  const UINT flags = (yesNo ? MB_YESNO : MB_OK) | BoxIcon(icon, kBoxIcons) | MB_TASKMODAL |
                     MB_TOPMOST | MB_SETFOREGROUND;
  const int answer = MessageBoxW(nullptr, win32::Widen(text).c_str(),
                                 win32::Widen(kMessageBoxCaption).c_str(), flags);
  return BoxAnswer(buttons, answer == IDYES);
}

// --- timers and waiting --------------------------------------------------------------

void Win32Desktop::startTimer(TimerId id, int intervalMs) {
  if (intervalMs < kCoarseTickMs) fineClock_.need();
  running_.insert_or_assign(id,
                            win32::WindowTimer(hub_->hwnd(), id, static_cast<UINT>(intervalMs)));
}

// Killed before a timer starts again: SetTimer on a live id would only
// replace it, and the old holder's kill would then stop the new one.
void Win32Desktop::stopTimer(TimerId id) { running_.erase(id); }

void Win32Desktop::onHubTimer(UINT_PTR id) {
  if (id == kFullscreenCheck) {
    // The figures step aside while it is in front; dialogs stay.
    coverFigures(fullscreenInFront());
  } else {
    onTimer(static_cast<TimerId>(id));
  }
  // A timer also ticks inside loops that are not ours (a menu, a dialog
  // being dragged): what it moved shows now.
  batch_.apply();
}

bool Win32Desktop::fullscreenInFront() const {
  const HWND front = GetForegroundWindow();
  if (front == nullptr || front == GetShellWindow() || front == GetDesktopWindow()) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(front, &process);
  if (process == GetCurrentProcessId()) return false;
  wchar_t cls[16] = {};
  GetClassNameW(front, cls, 16);
  if (std::wstring_view(cls) == L"WorkerW" || std::wstring_view(cls) == L"Progman") return false;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  RECT box{};
  if (!GetWindowRect(front, &box) ||
      !GetMonitorInfoW(MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return false;
  }
  const RECT& m = monitor.rcMonitor;
  return box.left <= m.left && box.top <= m.top && box.right >= m.right && box.bottom >= m.bottom;
}

bool Win32Desktop::dispatchOne() {
  // Before a wait or the next message: a step's moves come inside the time
  // it waits, not before it.
  batch_.apply();
  MSG msg{};
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  // Nothing of ours posts a quit; one from elsewhere is not the game's way
  // of ending, so it is dropped.
  if (msg.message == WM_QUIT) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void Win32Desktop::dispatchQueued(const std::function<bool()>& done) {
  for (int i = 0; i < kDrainLimit && dispatchOne(); ++i) {
    if (done()) return;
  }
}

void Win32Desktop::waitForEvents(Ms deadline) {
  if (dispatchOne()) return;
  DWORD timeout = INFINITE;
  if (deadline != kNever) {
    timeout = static_cast<DWORD>(std::clamp<Ms>(deadline - now(), 0, INFINITE - 1));
    if (timeout > 0 && timeout < kCoarseTickMs) fineClock_.need();
  }
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// --- settings and the rest -----------------------------------------------------------

std::string Win32Desktop::programFolder() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) path.resize(slash);
  // Beside the program, as a copied kelvory.exe or a per-user install has
  // it; an install the user cannot write to keeps them in the roaming folder.
  std::wstring appData(MAX_PATH, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", appData.data(), MAX_PATH);
  appData.resize(n > 0 && n < MAX_PATH ? n : 0);
  const std::string user = appData.empty() ? std::string() : win32::Narrow(appData) + "\\Kelvory";
  return files::settingsFolder(win32::Narrow(path), user, files::Home::ProgramFolderIfWritable);
}

void Win32Desktop::writeLog(std::string_view line) {
  const std::string text(line);
  OutputDebugStringA(text.c_str());
  std::fputs(text.c_str(), stderr);
  // Without a console the C runtime buffers stderr; a trace must show now.
  std::fflush(stderr);
}

void Win32Desktop::endProgram() {
  std::fflush(nullptr);
  // Nothing else may run: no destructor, no pending message, no handler.
  ExitProcess(0);
}

}  // namespace kelvory
