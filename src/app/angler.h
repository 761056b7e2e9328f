#pragma once

#include <string>

#include "base/game_window.h"

namespace kelvory {

// frmMan: the angler on the taskbar, first window of the program. Its load
// routine lays out the whole scene; its timer shakes the bent rod.
class AnglerWindow final : public GameWindow {
 public:
  explicit AnglerWindow(Scene& scene);

  void load();
  // Shows angler frame k (0 to 6) as the window's picture; callers pair it
  // with ApplyShape(k) in the order their step needs.
  void setFrame(int k);
  // Shows a warning box from the event loop, as soon as the scene stands.
  void warnSoon(std::string text);

  Timer& Timer1;  // rod shake
  // Re-places the scene once no sequence runs after the screen changed.
  Timer& TimerDock;
  int ShakeFrame = 0;

 private:
  void shake();
  void dock();

  std::string warning_;
  Timer* warningTimer_ = nullptr;
};

}  // namespace kelvory
