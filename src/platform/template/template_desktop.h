#pragma once

#include <chrono>
#include <memory>

#include "platform/core/desktop_core.h"
#include "platform/core/due_timers.h"

namespace kelvory {

// The smallest desktop that runs the game: a start for a new one. Its
// windows show nothing and take no input, its clock is the system's, its
// timers tick from its own wait, its boxes go to stderr and its settings
// live in the current directory. Everything a window system adds (drawing,
// the mouse, menus, the screen) goes where this says "nothing".
class TemplateDesktop final : public DesktopCore {
 public:
  TemplateDesktop();
  ~TemplateDesktop() override;
  TemplateDesktop(const TemplateDesktop&) = delete;
  TemplateDesktop& operator=(const TemplateDesktop&) = delete;

  ScreenMetrics metrics() const override;
  Ms now() const override;
  LocalTime localTime() const override;
  double textWidth(const Font&, std::string_view text) const override;
  std::string programFolder() const override;
  [[noreturn]] void endProgram() override;

 private:
  std::unique_ptr<NativeWindow> makeWindow(WindowId, const WindowDesc&) override;
  std::optional<int> trackMenu(NativeWindow& owner,
                               const std::vector<MenuItemDesc>& items) override;
  void closeMenu() override;
  MsgAnswer showMessageBox(std::string_view text, MsgButtons, MsgIcon) override;
  void startTimer(TimerId, int intervalMs) override;
  void stopTimer(TimerId) override;
  void dispatchQueued(const std::function<bool()>& done) override;
  void waitForEvents(Ms deadline) override;
  void writeLog(std::string_view line) override;

  // Runs the timer that is due first, if one is due by now.
  bool tickOne();

  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  DueTimers timers_;
};

}  // namespace kelvory
