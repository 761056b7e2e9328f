#pragma once

#include <memory>
#include <string_view>

#include "base/game_window.h"

namespace kelvory {

// The three pieces of the speech balloon: frmL and frmR, the caps cut to
// shape, and frmC, the white centre piece that carries the text.
std::unique_ptr<GameWindow> MakeBalloonLeft(Scene& scene);
std::unique_ptr<GameWindow> MakeBalloonCentre(Scene& scene);
std::unique_ptr<GameWindow> MakeBalloonRight(Scene& scene);

// Which way the balloon opens from its tail.
enum class BalloonSide {
  Right,  // tail at the bottom left, on x; the balloon to the right of x
  Left,   // the mirror image: tail at the bottom right, balloon to the left
};

// Shows text in the balloon with its tail at x and its top edge 150 twips
// above y. The caller waits and then unloads the pieces.
void ShowBalloon(Scene& scene, std::string_view text, double x, double y, BalloonSide side);

}  // namespace kelvory
