#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/core/program.h"

namespace kelvory::wl {

// The Wayland desktop is a module of its own, loaded only by a session that
// runs on it, so that an X11 session never maps libwayland, cairo and
// Pango. This is all the program knows of it.
inline constexpr const char* kModuleFile = "kelvory-wayland.so";
// Where an install puts the module, from the program's folder; a build
// leaves it beside the program.
inline constexpr const char* kInstalledModuleFolder = "../lib/games/kelvory";
inline constexpr const char* kModuleEntry = "kelvory_run_wayland";
// What the entry returns when no compositor with the layer shell answers:
// the caller then runs another desktop.
inline constexpr int kNoLayerShell = -1;
using ModuleEntry = int(int argc, char** argv, const Game* game);

// The folder the running program lies in, where the module is looked for
// and a portable copy keeps its settings; nothing when it cannot be told.
inline std::optional<std::filesystem::path> ProgramFolder() {
  std::error_code error;
  auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return program.parent_path();
}

}  // namespace kelvory::wl
