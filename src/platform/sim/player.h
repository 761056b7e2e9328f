#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "platform/sim/recorder.h"
#include "platform/sim/screen.h"

namespace kelvory::sim {

// The user at the simulated desktop: where the mouse input is aimed, and
// the answers to the popup menus and message boxes the game opens (which
// block, like real ones, running the desktop's wait until answered).
//
// Input reaches only what a user could reach. A window the shared core
// keeps from input (another one is the innermost modal window) refuses it;
// while a message box or a popup menu is open, every window refuses it. A
// refusal is traced as "refused" and changes nothing else. A hidden window
// takes no input at all (an "error"); input to a hidden control, or to a
// line or rectangle drawn on the window, goes to the window's surface, as
// on a real desktop. Where a release goes is the core's to say.
class Player {
 public:
  enum class Action { Press, Release, Click, Hover, Close };
  struct Target {
    WindowId window = 0;
    ControlId control = kSurface;
  };

  Player(Desktop& desktop, const Screen& screen, Recorder& trace)
      : desktop_(desktop), screen_(screen), trace_(trace) {}

  // Where the input goes, or nothing (with an "error" or a "refused").
  std::optional<Target> aim(Action action, std::string_view window, std::string_view control);
  // The "input" line for input about to be delivered.
  void traceInput(Action action, const Target& target, MouseButton button);

  // The game's blocking dialogs, and their answers.
  std::optional<int> popupMenu(std::string_view owner, const std::vector<MenuItemDesc>& items);
  MsgAnswer messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon);
  // The open menu's owner went: it closes with nothing chosen.
  void closeMenu();
  void chooseMenuItem(std::string_view itemName);
  void answer(MsgAnswer answer);
  bool menuOpen() const;
  bool messageBoxOpen() const;

 private:
  enum class DialogKind { Menu, MessageBox };
  struct Dialog {
    DialogKind kind = DialogKind::Menu;
    std::vector<MenuItemDesc> items;
    MsgButtons buttons = MsgButtons::Ok;
    bool closed = false;
    std::optional<int> chosen;
    MsgAnswer answer = MsgAnswer::Ok;
  };

  std::optional<Target> find(std::string_view window, std::string_view control);
  bool accepts(const WindowState& w, Action action, std::string_view control);
  Dialog* openDialog(DialogKind kind);
  // Opens the dialog, traces that, and waits until it is answered; returns
  // it as it was closed.
  Dialog runDialog(Dialog dialog, const TraceLine& opened);

  Desktop& desktop_;
  const Screen& screen_;
  Recorder& trace_;
  std::vector<Dialog> dialogs_;  // open ones, innermost last
};

}  // namespace kelvory::sim
