#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace kelvory {

// Catches per species; entry 13 belongs to no species.
using CatchCounts = std::array<std::int16_t, 14>;

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

// "Tyouka": 13 groups of three hex digits, species 0 first. Decoding reads
// each group up to its first non-hex character; what is missing reads 0.
CatchCounts DecodeCatchCounts(std::string_view tyouka);
std::string EncodeCatchCounts(const CatchCounts& counts);

}  // namespace kelvory
