#pragma once

#include <cstdint>

#include "base/game_window.h"

namespace kelvory {

// frmUki: the float on the line. Loaded afresh at every cast; its timer
// bobs it, dips it and now and then sinks it for a bite, opening the short
// strike window.
class FloatWindow final : public GameWindow {
 public:
  explicit FloatWindow(Scene& scene);

  // Shows float frame k (0 to 5) as the window's picture; callers pair it
  // with the size setter and ApplyShape in the order their step needs.
  void setFrame(int k);
  // Size, shape and picture of frame k, in that order.
  void showFrame(int k);

  // Pulls the float down (or lets it up) to btop in about eight steps.
  void ukihikuhiku(double btop, bool b);
  // What one call of PlayerHiku does while the user reels.
  enum class Hiku {
    PullAndReturn,  // pulled under to btop, then floats back up
    ReturnOnly,     // the button was let go: float back up to the surface
    PullOnly,       // the button is held: pulled under towards btop
  };
  // Drags the float towards the angler.
  void PlayerHiku(double btop, Hiku b);

  Timer& Timer1;
  std::int32_t WaterTop = 0;
  std::int32_t BiteDelay = 0;

 private:
  void tick();
  void bite(double height);
  void pull(double btop, Hiku b, std::int32_t t0);
  void floatBack(double btop, std::int32_t t0);
  bool besideAngler() const;
};

}  // namespace kelvory
