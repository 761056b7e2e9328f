#include <filesystem>
#include <system_error>

#include "platform/profile.h"

namespace kelvory::files {

std::string settingsFolder(const std::string& programFolder, const std::string& userFolder) {
  std::error_code error;
  const bool beside =
      std::filesystem::exists(std::filesystem::path(programFolder) / "KVY.ini", error);
  if (beside || writableFolder(programFolder) || userFolder.empty()) return programFolder;
  std::filesystem::create_directories(userFolder, error);
  return userFolder;
}

}  // namespace kelvory::files
