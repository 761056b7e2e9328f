#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvory::profile {

// The profile-file ("ini") rules of the platform's private profile calls,
// on the file's text, so every desktop reads and writes the same way:
// sections and keys match without regard to case, blanks around '=' and
// around names are trimmed, and everything else in the file is kept. A
// byte-order mark (UTF-8 or UTF-16) is skipped on reading and kept on
// writing, a UTF-16 file staying UTF-16.

// The value of key in section, as a read into a buffer of bufferSize
// characters returns it (at most bufferSize - 1 characters, ending at a NUL),
// or "" when the section or the key is missing.
std::string getValue(std::string_view text, std::string_view section, std::string_view key,
                     std::size_t bufferSize = 511);

// The file's text after key in section has been set to value, creating the
// section (at the end) and the key (at the end of the section) if needed.
std::string setValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace kelvory::profile

namespace kelvory::files {

// What reading a whole file found.
enum class Found { Text, Missing, Unreadable };

struct Contents {
  Found found = Found::Missing;
  std::string text;  // the file's bytes when found is Text
};

// A settings file larger than this is not read at all (it is reported as
// unreadable and never replaced), so reading takes bounded memory.
inline constexpr std::size_t kMaxFileSize = std::size_t{64} << 20;

// The whole file. Unreadable: it exists but could not be read (no
// permission, held open by another program, not a regular file, too large).
Contents load(const std::string& path);
// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> read(const std::string& path);

// How much a replaced file survives. Every replacement is whole when the
// program is killed at any moment; waiting until it is on the disk also
// keeps it through a power cut, which a simulated session never meets.
enum class Keep { ThroughPowerCut, ThroughKill };

// Replaces the file's content so that a crash at any moment leaves either the
// old or the new content: a new file in the same folder, flushed, renamed over
// the old one. A symbolic link is followed and stays a link; the file keeps
// its owner, group, permissions (or Windows attributes); a new file gets the
// ones the system gives a new file. Returns false, changing nothing, when
// that could not be done, and when the file itself could not be written in
// place: read-only, or one of several hard links to the same data.
bool replace(const std::string& path, std::string_view content, Keep keep = Keep::ThroughPowerCut);

// A replacement's new file while it is written: "KVY.ini.tmp-" and six
// letters or digits.
inline constexpr std::string_view kTempMarker = ".tmp-";
inline constexpr std::size_t kTempSuffixLength = 6;
// A temporary file this old can only be left from a save that was killed.
inline constexpr int kStaleTempSeconds = 60;
// Removes what killed saves left beside the file at path: only files named
// as ours and older than kStaleTempSeconds.
void removeLeftovers(const std::string& path);

// One value of the profile file at path; "" when the file, the section or
// the key is missing, nothing when the file exists but cannot be read.
std::optional<std::string> readValue(std::string_view section, std::string_view key,
                                     const std::string& path);
// Sets one value of the profile file at path, keeping everything else in
// it; false when the file could not be read or replaced.
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

// One running copy per settings file: held from construction until the
// process ends, however it ends. Copies on the same file exclude each other
// whatever their environment; copies on different files never meet.
class CopyLock {
 public:
  explicit CopyLock(const std::string& settingsPath);
  ~CopyLock();
  CopyLock(const CopyLock&) = delete;
  CopyLock& operator=(const CopyLock&) = delete;
  // Another copy holds the lock on this file.
  bool taken() const { return taken_; }

 private:
  std::intptr_t handle_ = -1;
  bool taken_ = false;
};

}  // namespace kelvory::files
