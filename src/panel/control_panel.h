#pragma once

#include "base/game_window.h"

namespace kelvory {

// frmCon: the reel control panel at the left end of the taskbar. Its reel
// button is the user's only input to the fishing: charge, cast, strike,
// reel, fight; a right press opens the popup menu. It doubles as a clock.
class ControlPanel final : public GameWindow {
 public:
  explicit ControlPanel(Scene& scene);

  void mouseDown(ControlId ctrl, MouseButton button);
  void mouseUp(ControlId ctrl);

  Control& Label1;    // clock
  Control& Picture2;  // power bar
  Control& Picture1;  // reel button; its colour is the fight's state
  Timer& Timer2;      // clock tick
  Timer& Timer3;      // one-shot start of the fight
  Timer& Timer1;      // never started

 private:
  void showClock();
  void leftPress();
  void otherPress(MouseButton button);
  void meterAndCast();
  void MeterStep();
  void DoCast();
  // Returns false when the press ended in a fight or a landing, which look
  // after SequenceBusy themselves.
  bool strikeAndReel();
};

}  // namespace kelvory
