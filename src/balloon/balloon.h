#pragma once

#include <memory>
#include <string_view>

#include "app/game_window.h"

namespace kelvory {

// The three pieces of the speech balloon: frmL and frmR, the caps cut to
// shape, and frmC, the white centre piece that carries the text.
std::unique_ptr<GameWindow> MakeBalloonLeft(Scene& scene);
std::unique_ptr<GameWindow> MakeBalloonCentre(Scene& scene);
std::unique_ptr<GameWindow> MakeBalloonRight(Scene& scene);

// Shows text in the balloon with its tail at x (side 0: tail at the bottom
// left, balloon to the right of x; side 1: the mirror image) and its top
// edge 150 twips above y. The caller waits and then unloads the pieces.
void ShowBalloon(Scene& scene, std::string_view text, double x, double y, int side);

}  // namespace kelvory
