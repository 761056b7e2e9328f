#include "base/settings.h"

namespace kelvory {

namespace {

// The path rules of the system the program is built for, never guessed from
// the characters: on Linux a backslash is part of a folder's name.
#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr std::string_view kSeparators = "\\/";
#else
constexpr char kSeparator = '/';
constexpr std::string_view kSeparators = "/";
#endif

}  // namespace

std::string SettingsPath(std::string_view folder) {
  std::string path(folder);
  if (path.empty() || kSeparators.find(path.back()) == std::string_view::npos) path += kSeparator;
  return path + "KVY" + ".ini";
}

std::optional<std::string> ReadSetting(Desktop& desktop, std::string_view section,
                                       std::string_view key) {
  // A 512-character buffer offered as 511: at most 510 characters come back.
  std::optional<std::string> value =
      desktop.readProfileString(section, key, SettingsPath(desktop.programFolder()));
  if (value && value->size() > 510) value->resize(510);
  return value;
}

bool WriteSetting(Desktop& desktop, std::string_view section, std::string_view key,
                  std::string_view value) {
  return desktop.writeProfileString(section, key, value, SettingsPath(desktop.programFolder()));
}

}  // namespace kelvory
