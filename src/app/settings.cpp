#include "app/settings.h"

#include <cctype>

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

CatchCounts DecodeCatchCounts(std::string_view tyouka) {
  CatchCounts counts{};
  for (std::size_t i = 0; i < 13; ++i) {
    const std::size_t start = 3 * i;
    if (start >= tyouka.size()) break;
    const std::string_view group = tyouka.substr(start, 3);
    int value = 0;
    for (char c : group) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) break;
      value = value * 16 + (std::isdigit(static_cast<unsigned char>(c))
                                ? c - '0'
                                : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
    }
    counts[i] = static_cast<std::int16_t>(value);
  }
  return counts;
}

std::string EncodeCatchCounts(const CatchCounts& counts) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < 13; ++i) {
    const unsigned v = static_cast<std::uint16_t>(counts[i]) & 0xFFFu;
    out += kHex[(v >> 8) & 0xF];
    out += kHex[(v >> 4) & 0xF];
    out += kHex[v & 0xF];
  }
  return out;
}

}  // namespace kelvory
