#pragma once

#include "base/game_window.h"

namespace kelvory {

// frmMenu: never shown; it owns the popup menu that a right press on the
// reel button opens, and runs its commands.
class PopupMenu final : public GameWindow {
 public:
  explicit PopupMenu(Scene& scene);

  // The certificate entry and the separator above "終了" come and go together.
  void setCompleteVisible(bool visible);
  bool completeVisible() const { return completeVisible_; }

  // Opens the menu at the mouse and runs the chosen command; returns when
  // that command is done (a modal window it opened has been closed).
  void popup();

 private:
  void mFishList();
  void mver();
  void mComplete();
  void mend();

  MenuId mpop_;
  bool completeVisible_ = false;
};

}  // namespace kelvory
