#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "platform/sim/clock.h"
#include "platform/sim/recorder.h"
#include "platform/sim/windows.h"

namespace kelvory::sim {

// The user at the simulated desktop: mouse input delivered to the game's
// input sink, and the answers to the popup menus and message boxes the game
// opens (which block, like real ones, until answered).
//
// Input reaches only what a user could reach. While a modal window lives,
// input to any other window is refused; while a message box or a popup menu
// is open, all window input is refused. A refusal is traced as "refused" and
// changes nothing else. A hidden window takes no input at all (an "error");
// input to a hidden control, or to a line or rectangle drawn on the window,
// goes to the window's surface, as on a real desktop. A release goes to the
// control that took the press of that button, if its window still lives.
class Player {
 public:
  enum class Action { Press, Release, Click, Hover, Close };

  Player(Windows& windows, Recorder& trace, Clock& clock)
      : windows_(windows), trace_(trace), clock_(clock) {}

  void setSink(InputSink* sink) { sink_ = sink; }
  InputSink* sink() const { return sink_; }

  // Input, delivered at once (queued when called from outside the game).
  // Unknown names trace an "error".
  void input(Action action, std::string_view window, std::string_view control,
             MouseButton button = MouseButton::Left);
  void endSession();
  // A window went: it holds no press any more.
  void forget(WindowId id);

  // The game's blocking dialogs, and their answers.
  std::optional<int> popupMenu(MenuId id);
  MsgAnswer messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon);
  void chooseMenuItem(std::string_view itemName);
  void answer(MsgAnswer answer);
  bool menuOpen() const;
  bool messageBoxOpen() const;

 private:
  enum class DialogKind { Menu, MessageBox };
  struct Dialog {
    DialogKind kind = DialogKind::Menu;
    std::vector<MenuItemDesc> items;  // menus: a copy, the owner may go meanwhile
    MsgButtons buttons = MsgButtons::Ok;
    bool closed = false;
    std::optional<int> chosen;
    MsgAnswer answer = MsgAnswer::Ok;
  };
  struct Target {
    WindowId window = 0;
    ControlId control = kSurface;
  };

  // Where the input goes, or nothing (with an "error" or a "refusal").
  std::optional<Target> aim(Action action, std::string_view window, std::string_view control,
                            MouseButton button);
  std::optional<Target> find(std::string_view window, std::string_view control);
  bool accepts(const WindowState& w, Action action, std::string_view control);
  Dialog* openDialog(DialogKind kind);
  // Opens the dialog, traces that, and waits until it is answered; returns
  // it as it was closed.
  Dialog runDialog(Dialog dialog, const TraceLine& opened);

  Windows& windows_;
  Recorder& trace_;
  Clock& clock_;
  InputSink* sink_ = nullptr;
  std::map<MouseButton, Target> captures_;  // by button: who took the press
  std::vector<Dialog> dialogs_;             // open ones, innermost last
};

}  // namespace kelvory::sim
