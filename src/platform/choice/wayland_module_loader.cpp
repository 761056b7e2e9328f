#include "platform/choice/wayland_module_loader.h"

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/wayland/wayland_module.h"

namespace kelvory {

namespace {

struct Unload {
  void operator()(void* module) const { dlclose(module); }
};
using Module = std::unique_ptr<void, Unload>;

void SayWhyNot() {
  const char* why = dlerror();
  std::fprintf(stderr, "kelvory: the Wayland desktop did not load: %s\n",
               why != nullptr ? why : "no reason given");
}

}  // namespace

std::optional<int> RunWaylandModule(int argc, char** argv, const Game& game, bool required) {
  namespace fs = std::filesystem;
  // Asked for by name, a desktop that cannot run ends the program, as one
  // without the layer shell does.
  const auto unavailable = [required]() -> std::optional<int> {
    if (required) return 1;
    return std::nullopt;
  };
  const auto found = wl::ProgramFolder();
  if (!found) {
    if (required) {
      std::fprintf(stderr,
                   "kelvory: the Wayland desktop (%s) cannot be looked for: the "
                   "program's own folder is unknown\n",
                   wl::kModuleFile);
    }
    return unavailable();
  }
  const fs::path& folder = *found;
  std::error_code ec;
  const std::array places{folder / wl::kModuleFile,
                          folder / wl::kInstalledModuleFolder / wl::kModuleFile};
  for (const fs::path& place : places) {
    if (!fs::exists(place, ec)) continue;
    Module module(dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!module) {
      SayWhyNot();
      return unavailable();
    }
    auto* entry = reinterpret_cast<wl::ModuleEntry*>(dlsym(module.get(), wl::kModuleEntry));
    if (entry == nullptr) {
      SayWhyNot();
      return unavailable();
    }
    const int status = entry(argc, argv, &game);
    // Only a Wayland connection was opened and closed again: the X11 run
    // that follows gives the module's memory back.
    if (status == wl::kNoLayerShell) return std::nullopt;
    // The game has run on it: the program ends with the module in place,
    // whatever threads its libraries may still have.
    static_cast<void>(module.release());
    return status;
  }
  if (required) {
    std::fprintf(stderr,
                 "kelvory: the Wayland desktop (%s) is neither beside the program nor in %s\n",
                 wl::kModuleFile, (folder / wl::kInstalledModuleFolder).lexically_normal().c_str());
  }
  return unavailable();
}

}  // namespace kelvory
