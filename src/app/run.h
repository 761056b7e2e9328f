#pragma once

namespace kelvory {

class Desktop;

// Runs the toy on a real desktop until it ends itself: a generator seeded
// from the clock, the scene, and the desktop's wait.
int RunToy(Desktop& desktop);

}  // namespace kelvory
