#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/core/desktop_core.h"
#include "platform/core/due_timers.h"
#include "platform/wayland/wl_host.h"
#include "platform/wayland/wl_window.h"

namespace kelvory {

// The game's desktop on a Wayland compositor with the layer shell: the
// figures and the panel stand in the top layer on the bars' edge, dialogs
// and message boxes are ordinary windows, the popup menu opens from the
// panel. Drawn with cairo and Pango into shared memory.
class WaylandDesktop final : public DesktopCore, private wl::Host {
 public:
  explicit WaylandDesktop(std::unique_ptr<wl::Connection> connection);
  ~WaylandDesktop() override;
  WaylandDesktop(const WaylandDesktop&) = delete;
  WaylandDesktop& operator=(const WaylandDesktop&) = delete;

  ScreenMetrics metrics() const override;
  Ms now() const override;
  LocalTime localTime() const override;
  double textWidth(const Font&, std::string_view text) const override;
  std::string programFolder() const override;
  [[noreturn]] void endProgram() override;

 private:
  struct Probe;

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

  // wl::Host
  wl::Connection& connection() override { return *connection_; }
  wl::Seat* seat() override { return seat_.get(); }
  const wl::Fonts& fonts() const override { return fonts_; }
  wl::Pictures& pictures() override { return pictures_; }
  const PixelGrid& grid() const override { return grid_; }
  wl::FreeArea freeArea() const override { return free_; }
  int scale() const override { return scale_; }
  void post(std::function<void()> handler) override;
  void tipAfter(wl::WlWindow* window, int delayMs) override;
  std::vector<PixelRect> cover() const override;
  unsigned sceneVersion() const override { return sceneVersion_; }
  void sceneChanged() override { ++sceneVersion_; }
  void enlist(wl::WlWindow& window) override;
  void forget(wl::WlWindow& window) override;

  // Runs the timer that is due first, if one is due by now.
  bool tickOne();
  // Shows the tip that is due, if one is.
  bool tipOne();
  // Runs one queued handler, if any.
  bool deliverOne();
  // Sends every window's changes to the compositor.
  void flushWindows();
  // Reads what the compositor sent, waiting at most timeoutMs (-1: no
  // limit) for it, and runs its callbacks.
  void readEvents(int timeoutMs);
  // The free area or the scale may have changed.
  void checkScreen();
  // The compositor went away: save what the game holds and end.
  void connectionLost();
  // A panel of ours the popup menu can open from.
  wl::WlWindow* menuParent() const;

  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::unique_ptr<wl::Connection> connection_;
  std::unique_ptr<wl::Seat> seat_;
  wl::Fonts fonts_;
  wl::Pictures pictures_;
  PixelGrid grid_;
  wl::FreeArea free_;
  int scale_ = 1;
  std::unique_ptr<Probe> probe_;
  int signals_ = -1;  // SIGTERM and SIGHUP, as a file to poll
  bool lost_ = false;
  unsigned sceneVersion_ = 1;
  int boxes_ = 0;  // message boxes open: the game's windows take no input
  std::function<void()> closeMenu_;
  wl::WlWindow* tipWindow_ = nullptr;
  Ms tipDue_ = kNever;
  std::deque<std::function<void()>> queue_;
  DueTimers timers_;
  std::vector<wl::WlWindow*> windows_;
};

}  // namespace kelvory
