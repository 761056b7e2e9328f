#include "platform/win32/win32_desktop.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "assets/pictures.h"
#include "platform/profile.h"
#include "platform/win32/win32_text.h"

namespace kelvory {
namespace {

// The hub's timer for the fullscreen check; the game's timers count up from 1.
constexpr UINT_PTR kFullscreenCheck = 0x7FFF0001;

// Set by the build: spin instead of blocking, the way the wait used to work.
constexpr bool kPollingWait = KELVORY_POLLING_WAIT;

const char* MomentName(Moment moment) {
  switch (moment) {
    case Moment::Bite:
      return "bite";
    case Moment::StrikeWindowClosed:
      return "strike-window-closed";
    case Moment::MeterStep:
      return "meter-step";
    case Moment::FlightStep:
      return "flight-step";
    case Moment::FightHalfStep:
      return "fight-half-step";
  }
  return "?";
}

UINT BoxIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Question:
      return MB_ICONQUESTION;
    case MsgIcon::Warning:
      return MB_ICONWARNING;
    case MsgIcon::Error:
      return MB_ICONERROR;
    case MsgIcon::None:
      break;
  }
  return 0;
}

// Restores a counter however the block is left.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

int ScreenDpi() {
  const win32::ScreenDc dc;
  return dc.get() != nullptr ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
}

bool Topmost(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Messages a wait may take in one go once its deadline has passed: what fell
// due still runs, but a timer whose handler outlasts its interval cannot
// keep the wait from ending.
constexpr int kDrainLimit = 256;

}  // namespace

template <class F>
void Win32Desktop::enterGame(F&& f) {
  DepthGuard guard(depth_);
  f();
}

template <class F>
void Win32Desktop::toSink(F&& f) {
  if (sink_ == nullptr) return;
  enterGame([&] { f(*sink_); });
}

Win32Desktop::Win32Desktop() : trace_(std::getenv("KELVORY_TRACE") != nullptr) {
  QueryPerformanceFrequency(&frequency_);
  QueryPerformanceCounter(&start_);
  // Ten-millisecond timers need a finer clock than the default 15.6 ms.
  periodSet_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  resources_.setDpi(ScreenDpi());
  win32::DeskWindow::registerClass();
  icon_ = win32::MakeIcon(assets::icon());
  hub_ = std::make_unique<win32::Hub>([this](UINT_PTR id) { onTimer(id); },
                                      [this] { onScreenChanged(); });
  // Once a second: no message tells a program that another went fullscreen.
  fullscreenCheck_ = win32::WindowTimer(hub_->hwnd(), kFullscreenCheck, 1000);
}

Win32Desktop::~Win32Desktop() {
  fullscreenCheck_ = win32::WindowTimer();
  timers_.clear();
  menus_.clear();
  windows_.clear();
  graveyard_.clear();
  hub_.reset();
  if (periodSet_) timeEndPeriod(1);
}

void Win32Desktop::setInputSink(InputSink* sink) { sink_ = sink; }

// --- screen, clock, calendar ------------------------------------------------

ScreenMetrics Win32Desktop::metrics() const {
  ScreenMetrics m;
  // In logical pixels: the scene is laid out at one scale and drawn at the
  // screen's.
  const int scale = resources_.pictureScale();
  m.twipsPerPixel = resources_.twipsPerPixel();
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  RECT work{0, 0, width, height};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  m.widthPx = width / scale;
  m.heightPx = height / scale;
  m.workAreaBottomPx = work.bottom / scale;
  const SIZE frame = win32::DeskWindow::dialogFrame();
  m.dialogFrameWidthPx = frame.cx / scale;
  m.dialogFrameHeightPx = frame.cy / scale;
  return m;
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

void Win32Desktop::screenChanged() { hub_->noteScreenChanged(); }

void Win32Desktop::onScreenChanged() {
  resources_.setDpi(ScreenDpi());
  for (auto& [id, w] : windows_) w->relayout(true);
  toSink([](InputSink& s) { s.screenChanged(); });
}

// --- windows ------------------------------------------------------------------

win32::DeskWindow* Win32Desktop::window(WindowId id) const {
  const auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : it->second.get();
}

WindowId Win32Desktop::createWindow(const WindowDesc& desc) {
  const WindowId id = nextWindow_++;
  win32::WindowListener& listener = *this;
  windows_
      .emplace(id, std::make_unique<win32::DeskWindow>(id, desc, resources_, listener, icon_.get()))
      .first->second->setCovered(covered_);
  applyModality();
  return id;
}

void Win32Desktop::destroyWindow(WindowId id) {
  const auto it = windows_.find(id);
  if (it == windows_.end()) return;
  std::unique_ptr<win32::DeskWindow> gone = std::move(it->second);
  windows_.erase(it);
  std::erase_if(timers_, [&](const auto& entry) { return entry.second.owner == id; });
  // A menu still open closes: its popup call returns nothing chosen.
  if (openMenu_) {
    const auto open = menus_.find(*openMenu_);
    if (open != menus_.end() && open->second.owner == id) EndMenu();
  }
  std::erase_if(menus_, [&](const auto& entry) { return entry.second.owner == id; });
  std::erase_if(captures_, [&](const auto& entry) { return entry.second.window == id; });
  // The others come back before the modal one goes, so that activation
  // passes to one of ours.
  std::erase(modals_, id);
  applyModality();
  if (gone->hwnd() != nullptr && GetCapture() == gone->hwnd()) ReleaseCapture();
  gone->setWanted(false);
  graveyard_.push_back(std::move(gone));
  collectGarbage();
}

void Win32Desktop::collectGarbage() {
  if (depth_ != 0 || graveyard_.empty()) return;
  const std::vector<std::unique_ptr<win32::DeskWindow>> dead = std::move(graveyard_);
  graveyard_.clear();
}

void Win32Desktop::applyModality() {
  const WindowId top = modals_.empty() ? 0 : modals_.back();
  for (const auto& [id, w] : windows_) {
    if (w->hwnd() != nullptr) EnableWindow(w->hwnd(), top == 0 || id == top);
  }
}

void Win32Desktop::setGeometry(WindowId id, const Twips& geometry) {
  if (auto* w = window(id)) w->setTwips(geometry);
}

void Win32Desktop::show(WindowId id) {
  auto* w = window(id);
  if (w == nullptr) return;
  if (std::erase(modals_, id) != 0) applyModality();
  w->setWanted(true);
}

void Win32Desktop::showModal(WindowId id) {
  auto* w = window(id);
  if (w == nullptr) return;
  std::erase(modals_, id);
  modals_.push_back(id);
  applyModality();
  w->setWanted(true);
}

void Win32Desktop::hide(WindowId id) {
  auto* w = window(id);
  if (w == nullptr) return;
  // A hidden modal window would block everything with nothing to click.
  if (std::erase(modals_, id) != 0) applyModality();
  w->setWanted(false);
}

void Win32Desktop::sendToBack(WindowId id) {
  auto* w = window(id);
  if (w == nullptr || w->hwnd() == nullptr) return;
  // HWND_BOTTOM would strip a figure of its topmost place; going just below
  // the lowest of our other windows of the same band keeps it.
  const bool topmost = Topmost(w->hwnd());
  HWND below = nullptr;
  for (HWND h = GetTopWindow(nullptr); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == w->hwnd() || !IsWindowVisible(h) || Topmost(h) != topmost) continue;
    const bool ours = std::any_of(windows_.begin(), windows_.end(),
                                  [h](const auto& entry) { return entry.second->hwnd() == h; });
    if (ours) below = h;
  }
  if (below == nullptr) return;
  SetWindowPos(w->hwnd(), below, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Desktop::bringToFront(WindowId id) {
  auto* w = window(id);
  if (w == nullptr || w->hwnd() == nullptr) return;
  SetWindowPos(w->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Desktop::setBackColor(WindowId id, ControlId control, Rgb colour) {
  if (auto* w = window(id)) w->setBack(control, colour);
}

void Win32Desktop::setPicture(WindowId id, ControlId control, const Picture& picture) {
  if (auto* w = window(id)) w->setPicture(control, picture.bitmap);
}

ShapeResult Win32Desktop::setShape(WindowId id, const Shape& shape) {
  auto* w = window(id);
  if (w == nullptr) return ShapeResult::Ok;
  return w->setShape({shape.rects.begin(), shape.rects.end()});
}

void Win32Desktop::clearText(WindowId id) {
  if (auto* w = window(id)) w->clearPrinted();
}

void Win32Desktop::printText(WindowId id, std::string_view text, double x, double y,
                             const Font& font) {
  if (auto* w = window(id)) w->print(text, x, y, resources_.font(font));
}

double Win32Desktop::textWidth(const Font& font, std::string_view text) const {
  const std::wstring wide = win32::Widen(text);
  const win32::ScreenDc dc;
  if (dc.get() == nullptr) return 0;
  const win32::Selection selected(dc.get(), resources_.font(font));
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return static_cast<double>(size.cx) * resources_.twipsPerPixel() / resources_.pictureScale();
}

// --- controls -----------------------------------------------------------------

ControlId Win32Desktop::addControl(WindowId id, const ControlDesc& desc) {
  auto* w = window(id);
  return w ? w->addControl(desc) : kSurface;
}

void Win32Desktop::setControlGeometry(WindowId id, ControlId control, const Twips& box) {
  if (auto* w = window(id)) w->setControlBox(control, box);
}

void Win32Desktop::setText(WindowId id, ControlId control, std::string_view text) {
  if (auto* w = window(id)) w->setControlText(control, text);
}

void Win32Desktop::setVisible(WindowId id, ControlId control, bool visible) {
  if (auto* w = window(id)) w->setControlVisible(control, visible);
}

void Win32Desktop::setToolTip(WindowId id, ControlId control, std::string_view tip) {
  if (auto* w = window(id)) w->setControlToolTip(control, tip);
}

// --- input ----------------------------------------------------------------------

void Win32Desktop::pressed(WindowId id, ControlId control, MouseButton button) {
  if (window(id) == nullptr) return;
  captures_[button] = {id, control};
  toSink([&](InputSink& s) { s.mouseDown(id, control, button); });
}

void Win32Desktop::released(WindowId id, ControlId control, MouseButton button) {
  Capture target{id, control};
  if (const auto it = captures_.find(button); it != captures_.end()) {
    target = it->second;
    captures_.erase(it);
  }
  if (window(target.window) == nullptr) return;
  toSink([&](InputSink& s) { s.mouseUp(target.window, target.control, button); });
}

void Win32Desktop::moved(WindowId id, ControlId control) {
  if (window(id) == nullptr) return;
  toSink([&](InputSink& s) { s.mouseMove(id, control); });
}

void Win32Desktop::clicked(WindowId id, ControlId control) {
  if (window(id) == nullptr) return;
  toSink([&](InputSink& s) { s.clicked(id, control); });
}

void Win32Desktop::closeRequested(WindowId id) {
  if (window(id) == nullptr) return;
  toSink([&](InputSink& s) { s.closeRequested(id); });
}

void Win32Desktop::sessionEnding() {
  toSink([](InputSink& s) { s.sessionEnding(); });
}

// --- menus and message boxes ---------------------------------------------------------

MenuId Win32Desktop::createMenu(WindowId owner, const std::vector<MenuItemDesc>& items) {
  if (window(owner) == nullptr) return 0;
  const MenuId id = nextMenu_++;
  menus_.emplace(id, Menu{owner, items});
  return id;
}

void Win32Desktop::setMenuItemVisible(MenuId id, int item, bool visible) {
  const auto it = menus_.find(id);
  if (it == menus_.end() || item < 0 || static_cast<std::size_t>(item) >= it->second.items.size()) {
    return;
  }
  it->second.items[static_cast<std::size_t>(item)].visible = visible;
}

std::optional<int> Win32Desktop::popupMenu(MenuId id) {
  const auto it = menus_.find(id);
  if (it == menus_.end()) return std::nullopt;
  const auto* owner = window(it->second.owner);
  if (owner == nullptr || owner->hwnd() == nullptr) return std::nullopt;
  // Win32 menus cannot hide an item: the menu is built afresh from the
  // visible ones, each command being its item's index plus one.
  const win32::MenuHandle menu(CreatePopupMenu());
  if (!menu) return std::nullopt;
  const std::vector<MenuItemDesc>& items = it->second.items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].visible) continue;
    if (items[i].caption == "-") {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.get(), MF_STRING, i + 1, win32::Widen(items[i].caption).c_str());
    }
  }
  POINT at{};
  GetCursorPos(&at);
  const HWND hwnd = owner->hwnd();
  // Without the foreground the menu would not close on a click elsewhere.
  SetForegroundWindow(hwnd);
  int command = 0;
  {
    // The menu's own loop runs game code; the owner must outlive it even
    // if the game destroys it meanwhile.
    const DepthGuard guard(depth_);
    openMenu_ = id;
    command = static_cast<int>(TrackPopupMenuEx(
        menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, hwnd, nullptr));
    openMenu_.reset();
    PostMessageW(hwnd, WM_NULL, 0, 0);
  }
  collectGarbage();
  if (command <= 0 || !menus_.contains(id)) return std::nullopt;
  return command - 1;
}

MsgAnswer Win32Desktop::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  const bool yesNo = buttons == MsgButtons::YesNo;
  // Task-modal: every window of ours waits; on top, as the figures are.
  const UINT flags =
      (yesNo ? MB_YESNO : MB_OK) | BoxIcon(icon) | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND;
  int answer = 0;
  {
    const DepthGuard guard(depth_);
    answer = MessageBoxW(nullptr, win32::Widen(text).c_str(), L"Kelvory", flags);
  }
  applyModality();
  collectGarbage();
  if (!yesNo) return MsgAnswer::Ok;
  return answer == IDYES ? MsgAnswer::Yes : MsgAnswer::No;
}

// --- timers and waiting --------------------------------------------------------------

TimerId Win32Desktop::createTimer(WindowId owner, std::string_view, std::function<void()> tick) {
  const TimerId id = nextTimer_++;
  if (window(owner) != nullptr) timers_.emplace(id, Timer{owner, std::move(tick), {}});
  return id;
}

void Win32Desktop::setTimer(TimerId id, bool enabled, int intervalMs) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  Timer& timer = it->second;
  // Killed first: SetTimer on a live id would only replace it, and the
  // old holder's kill would then stop the new one.
  timer.running.stop();
  if (!enabled || intervalMs <= 0) return;
  timer.running = win32::WindowTimer(hub_->hwnd(), id, static_cast<UINT>(intervalMs));
}

void Win32Desktop::destroyTimer(TimerId id) { timers_.erase(id); }

void Win32Desktop::onTimer(UINT_PTR id) {
  if (id == kFullscreenCheck) {
    // The figures step aside while it is in front; dialogs stay.
    const bool covered = fullscreenInFront();
    if (covered != covered_) {
      covered_ = covered;
      for (const auto& [windowId, w] : windows_) w->setCovered(covered);
      if (trace_) {
        std::fprintf(stderr, "kelvory: fullscreen window %s\n", covered ? "in front" : "gone");
        std::fflush(stderr);
      }
    }
    return;
  }
  const auto it = timers_.find(static_cast<TimerId>(id));
  if (it == timers_.end()) return;
  // The handler may destroy the timer and with it the stored function.
  const std::function<void()> tick = it->second.tick;
  enterGame([&] { tick(); });
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
  MSG msg{};
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  // Nothing of ours posts a quit; one from elsewhere is not the game's way
  // of ending, so it is dropped.
  if (msg.message == WM_QUIT) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void Win32Desktop::processPending() {
  collectGarbage();
  for (int i = 0; i < kDrainLimit && dispatchOne(); ++i) {
  }
  collectGarbage();
}

void Win32Desktop::waitUntil(Ms deadline, const std::function<bool()>& done) {
  if constexpr (kPollingWait) {
    // Never sleeps: drains the queue and re-reads the clock until it is time.
    for (;;) {
      if (done()) return;
      collectGarbage();
      const bool due = deadline != kNever && now() >= deadline;
      for (int i = 0; i < kDrainLimit && dispatchOne(); ++i) {
        if (done()) return;
      }
      if (due) return;
    }
  }
  for (;;) {
    if (done()) return;
    collectGarbage();
    if (deadline != kNever && now() >= deadline) {
      // What fell due by the deadline still runs before the wait ends.
      for (int i = 0; i < kDrainLimit && dispatchOne(); ++i) {
        if (done()) return;
      }
      return;
    }
    if (dispatchOne()) continue;
    DWORD timeout = INFINITE;
    if (deadline != kNever) {
      timeout = static_cast<DWORD>(std::clamp<Ms>(deadline - now(), 0, INFINITE - 1));
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
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
  // A read-only install keeps the settings in the user's roaming folder.
  std::wstring appData(MAX_PATH, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", appData.data(), MAX_PATH);
  appData.resize(n > 0 && n < MAX_PATH ? n : 0);
  const std::string user = appData.empty() ? std::string() : win32::Narrow(appData) + "\\Kelvory";
  return files::settingsFolder(win32::Narrow(path), user);
}

std::string Win32Desktop::readProfileString(std::string_view section, std::string_view key,
                                            const std::string& path) {
  return files::readValue(section, key, path);
}

bool Win32Desktop::writeProfileString(std::string_view section, std::string_view key,
                                      std::string_view value, const std::string& path) {
  return files::writeValue(section, key, value, path);
}

void Win32Desktop::mark(Moment moment) {
  if (!trace_) return;
  std::array<char, 96> line{};
  std::snprintf(line.data(), line.size(), "kelvory: %lld ms %s\n", static_cast<long long>(now()),
                MomentName(moment));
  OutputDebugStringA(line.data());
  std::fputs(line.data(), stderr);
  // Without a console the C runtime buffers stderr; a trace must show now.
  std::fflush(stderr);
}

void Win32Desktop::endProgram() {
  std::fflush(nullptr);
  // Nothing else may run: no destructor, no pending message, no handler.
  ExitProcess(0);
}

}  // namespace kelvory
