#include <filesystem>
#include <system_error>

#include "platform/profile.h"

namespace kelvory::files {

std::string readValue(std::string_view section, std::string_view key, const std::string& path) {
  const std::optional<std::string> text = read(path);
  return text ? profile::getValue(*text, section, key) : std::string();
}

bool writeValue(std::string_view section, std::string_view key, std::string_view value,
                const std::string& path, Keep keep) {
  return replace(path, profile::setValue(read(path).value_or(std::string()), section, key, value),
                 keep);
}

std::string settingsFolder(const std::string& programFolder, const std::string& userFolder,
                           Home home) {
  std::error_code error;
  const bool beside =
      std::filesystem::exists(std::filesystem::path(programFolder) / "KVY.ini", error);
  if (beside || userFolder.empty()) return programFolder;
  if (home == Home::ProgramFolderIfWritable && writableFolder(programFolder)) return programFolder;
  std::filesystem::create_directories(userFolder, error);
  return userFolder;
}

}  // namespace kelvory::files
