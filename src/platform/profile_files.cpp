#include <cctype>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "platform/profile.h"

namespace kelvory::files {
namespace {

namespace fs = std::filesystem;

bool IsTempOf(const std::string& name, const std::string& file) {
  const std::string prefix = file + std::string(kTempMarker);
  if (name.size() != prefix.size() + kTempSuffixLength || !name.starts_with(prefix)) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> read(const std::string& path) {
  Contents contents = load(path);
  if (contents.found != Found::Text) return std::nullopt;
  return std::move(contents.text);
}

void removeLeftovers(const std::string& path) {
  std::error_code error;
  // A save goes through a link and writes beside the file it leads to.
  const fs::path file = fs::is_symlink(path, error) ? fs::canonical(path, error) : fs::path(path);
  if (error) return;
  const std::string name = file.filename().string();
  fs::directory_iterator it(file.has_parent_path() ? file.parent_path() : fs::path("."), error);
  const auto stale = fs::file_time_type::clock::now() - std::chrono::seconds(kStaleTempSeconds);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    if (!IsTempOf(it->path().filename().string(), name)) continue;
    if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
    const auto written = fs::last_write_time(it->path(), ignored);
    if (!ignored && written < stale) fs::remove(it->path(), ignored);
  }
}

std::optional<std::string> readValue(std::string_view section, std::string_view key,
                                     const std::string& path) {
  // Values are read at start-up, when no save of ours can be under way.
  removeLeftovers(path);
  const Contents contents = load(path);
  if (contents.found == Found::Unreadable) return std::nullopt;
  return profile::getValue(contents.text, section, key);
}

bool writeValue(std::string_view section, std::string_view key, std::string_view value,
                const std::string& path, Keep keep) {
  // What could not be read must not be replaced by what little we know.
  const Contents contents = load(path);
  if (contents.found == Found::Unreadable) return false;
  return replace(path, profile::setValue(contents.text, section, key, value), keep);
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
