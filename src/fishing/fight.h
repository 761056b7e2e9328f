#pragma once

namespace kelvory {

class Scene;

// The hooking and the whole fight, run from the panel's one-shot timer:
// "HIT!!!", then the fish rests (blue: hold to reel) or pulls (red: let go)
// at random until it is landed or gets away.
void FightFish(Scene& scene);

}  // namespace kelvory
