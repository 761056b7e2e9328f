#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string_view>

#include "platform/sim/script.h"

namespace kelvory {

// What a script's press and release reach without a target: the reel
// button of the control panel.
constexpr ScriptTarget kReelButton{"frmCon", "Picture1"};

// The bounds of the options: beyond them a run would never finish, or the
// geometry would leave the range the game's coordinates hold exactly.
constexpr std::int64_t kMaxUntilMs = 10'000'000'000;  // about 116 days
constexpr int kMaxScreenPx = 16384;
constexpr int kMaxTwipsPerPixel = 1000;

// kelvory-sim: runs the toy on the simulated desktop and prints its trace
// (JSON lines) to out. args are the command's arguments without the
// program's name. Returns the exit status: 0 for a completed run, 2 for a
// bad option or script (with a message to err that names it).
int RunSimCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace kelvory
