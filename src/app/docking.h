#pragma once

namespace kelvory {

class Scene;

// The scene follows the taskbar: after a change of the screen or of the
// work area, panel, angler and sea sit again on the work area's bottom
// edge, and a float out on the water moves with them.
void Redock(Scene& scene);

// No fishing sequence is running that relies on where things are.
bool ReadyToRedock(const Scene& scene);

}  // namespace kelvory
