#pragma once

namespace kelvory {

class Scene;

// Ends a trip of the float that reached the angler: the rod comes up, the
// catch (or the empty hook) is shown and counted, and the panel is idle.
void LandCatch(Scene& scene, bool hooked);

}  // namespace kelvory
