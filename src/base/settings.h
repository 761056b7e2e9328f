#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace kelvory {

// The settings file in folder: "KVY.ini", with one separator between (the
// separator of the system the program is built for).
std::string SettingsPath(std::string_view folder);

// One value of the settings file; "" when the file, section or key is
// missing, nothing when the file exists but cannot be read.
std::optional<std::string> ReadSetting(Desktop& desktop, std::string_view section,
                                       std::string_view key);
// Stores one value; false when it could not be written.
bool WriteSetting(Desktop& desktop, std::string_view section, std::string_view key,
                  std::string_view value);

}  // namespace kelvory
