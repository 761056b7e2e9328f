#pragma once

#include <string_view>

namespace kelvory {

// Told to a second copy started on the same settings file, which then ends.
inline constexpr std::string_view kAlreadyRunningMessage = "Kelvory はすでに起動しています。";

class Desktop;

// Runs the toy on a real desktop until it ends itself: a generator seeded
// from the clock, the scene, and the desktop's wait.
int RunToy(Desktop& desktop);

}  // namespace kelvory
