#pragma once

namespace kelvory {

class Scene;
class FloatWindow;

// Flies the float from the rod tip in a parabola until it lands upright on
// the water: vx0 twips to the right per 10 ms step, starting with vy0
// twips per step upwards (negative is up), gravity 1 twip per step.
void CastFloat(Scene& scene, int vx0, int vy0);

// One step of the flight; false in the step in which the float lands.
bool FlyStep(Scene& scene, FloatWindow& w);

}  // namespace kelvory
