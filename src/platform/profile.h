#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvory::profile {

// The profile-file ("ini") rules of the platform's private profile calls,
// on the file's text, so every desktop reads and writes the same way:
// sections and keys match without regard to case, blanks around '=' and
// around names are trimmed, and everything else in the file is kept.

// The value of key in section, as a read into a buffer of bufferSize
// characters returns it (at most bufferSize - 1 characters), or "" when the
// section or the key is missing.
std::string getValue(std::string_view text, std::string_view section, std::string_view key,
                     std::size_t bufferSize = 511);

// The file's text after key in section has been set to value, creating the
// section (at the end) and the key (at the end of the section) if needed.
std::string setValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace kelvory::profile

namespace kelvory::files {

// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> read(const std::string& path);

// How much a replaced file survives. Every replacement is whole when the
// program is killed at any moment; waiting until it is on the disk also
// keeps it through a power cut, which a simulated session never meets.
enum class Keep { ThroughPowerCut, ThroughKill };

// Replaces the file's content so that a crash at any moment leaves either the
// old or the new content: a new file in the same folder, flushed, renamed over
// the old one. Returns false when that could not be done.
bool replace(const std::string& path, std::string_view content, Keep keep = Keep::ThroughPowerCut);

// One value of the profile file at path; "" when the file, the section or
// the key is missing.
std::string readValue(std::string_view section, std::string_view key, const std::string& path);
// Sets one value of the profile file at path, keeping everything else in
// it; false when the file could not be replaced.
bool writeValue(std::string_view section, std::string_view key, std::string_view value,
                const std::string& path, Keep keep = Keep::ThroughPowerCut);

// Whether a new file can be made in the folder.
bool writableFolder(const std::string& folder);

// Which folder keeps the settings when no "KVY.ini" lies beside the program.
// Linux keeps them in the user's configuration, so that a rebuilt or
// removed build tree, a package or an install share the same catches;
// Windows keeps them beside the program as long as that folder can be
// written.
enum class Home { UserFolder, ProgramFolderIfWritable };

// Where the settings file lives: beside the program when a "KVY.ini" is
// there (a portable copy), else as home says; the user's folder is made
// when needed. With no user folder known, beside the program.
std::string settingsFolder(const std::string& programFolder, const std::string& userFolder,
                           Home home);

}  // namespace kelvory::files
