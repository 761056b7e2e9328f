#pragma once

#include <cstdint>

#include "app/game_window.h"

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
  // Drags the float towards the angler: b = 2 pull only, 1 return only,
  // 0 both.
  void PlayerHiku(double btop, int b);

  Timer& Timer1;
  std::int32_t WaterTop = 0;
  std::int32_t BiteDelay = 0;

 private:
  void tick();
  void bite(double height);
  void pull(double btop, int b, std::int32_t t0);
  void floatBack(double btop, std::int32_t t0);
  bool besideAngler() const;
};

}  // namespace kelvory
