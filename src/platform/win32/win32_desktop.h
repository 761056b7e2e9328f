#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "platform/core/desktop_core.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_hub.h"
#include "platform/win32/win32_late_libraries.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_window_batch.h"

namespace kelvory {

// The game's desktop on plain Win32: one thread, one message queue.
class Win32Desktop final : public DesktopCore {
 public:
  // icon: the dialogs' icon; none leaves them without.
  explicit Win32Desktop(const Bitmap* icon);
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  // The screen from the system metrics, the clock from the performance
  // counter, text measured on a screen DC.
  ScreenMetrics metrics() const override;
  Ms now() const override;
  LocalTime localTime() const override;
  double textWidth(const Font&, std::string_view text) const override;
  // Beside the .exe, or under %APPDATA% for a read-only install.
  std::string programFolder() const override;
  [[noreturn]] void endProgram() override;

 private:
  std::unique_ptr<NativeWindow> makeWindow(WindowId, const WindowDesc&) override;
  // A popup menu built afresh each time; a task-modal message box.
  std::optional<int> trackMenu(NativeWindow& owner,
                               const std::vector<MenuItemDesc>& items) override;
  void closeMenu() override;
  MsgAnswer showMessageBox(std::string_view text, MsgButtons, MsgIcon) override;
  // WM_TIMER on the hub window, the timer's id as the game's.
  void startTimer(TimerId, int intervalMs) override;
  void stopTimer(TimerId) override;
  // PeekMessage, and MsgWaitForMultipleObjectsEx to sleep.
  void dispatchQueued(const std::function<bool()>& done) override;
  void waitForEvents(Ms deadline) override;
  // To the debugger's output and to stderr.
  void writeLog(std::string_view line) override;
  // Every window hears of a change: each is a note to the core.
  void screenChanged() override;
  void readScreen() override;

  void onHubTimer(UINT_PTR id);
  // A fullscreen window of another program (a game, a film) is in front.
  bool fullscreenInFront() const;
  // One queued message, after what the last one asked of the windows;
  // false when the queue was empty.
  bool dispatchOne();

  win32::Resources resources_;
  win32::WindowBatch batch_;
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER start_{};
  win32::FineClock fineClock_;
  win32::IconHandle icon_;
  std::map<TimerId, win32::WindowTimer> running_;
  win32::WindowTimer fullscreenCheck_;
  std::unique_ptr<win32::Hub> hub_;
};

}  // namespace kelvory
