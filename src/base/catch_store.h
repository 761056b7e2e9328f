#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/catalogue.h"

namespace kelvory {

class Desktop;

// Catches per species, one counter more than there are species: the settings
// file's format has always had that spare entry, which belongs to no species
// and is never loaded, saved or shown.
using CatchCounts = std::array<std::int16_t, kSpeciesCount + 1>;

// Where the catches live in the settings file, and how a count is stored:
// three hex digits each, so a count past kCountCap is kept at the cap.
inline constexpr std::string_view kCatchSection = "Data";
inline constexpr std::string_view kCountsKey = "Tyouka";
inline constexpr std::string_view kCompleteKey = "Complete";
inline constexpr std::int16_t kCountCap = 0xFFF;

// "Tyouka": one group of three hex digits per species, species 0 first.
// Decoding reads each group up to its first non-hex character; what is
// missing reads 0.
CatchCounts DecodeCatchCounts(std::string_view tyouka);
std::string EncodeCatchCounts(const CatchCounts& counts);

// Told to the user when the catches could not be written to the settings file.
inline constexpr std::string_view kNotSavedMessage = "釣果を保存できませんでした。";

// Told at start-up when the settings file exists but cannot be read: its
// path, then what becomes of the catches in it and of this session's.
std::string UnreadableSettingsMessage(std::string_view path);

// The catch counts and the certificate flag, and their place in the
// settings file.
class CatchStore {
 public:
  explicit CatchStore(Desktop& desktop) : desktop_(desktop) {}

  // Reads the counts and the certificate flag. Until then, and for good when
  // the file exists but cannot be read (then false), nothing is saved: a
  // save writes only counts that were read (or earned since), and never over
  // a file whose catches we do not know.
  bool Load();
  // Saves the counts; false when they could not be stored.
  bool SaveCatchCounts();
  // Stores Complete=1; false when it could not be stored.
  bool SaveComplete();
  // The save after a landing: the first failure of a row is told at once,
  // so the user learns of it before "終了"; the ones after it are not.
  void SaveLanding();
  // One more catch of species index, up to the cap.
  void Add(int index);
  // Every species has been caught at least once.
  bool Complete() const;

  CatchCounts CatchCount{};
  bool CompleteSaved = false;  // the file says Complete=1, as far as we know

 private:
  enum class State { NotRead, Read, Unreadable };

  Desktop& desktop_;
  State state_ = State::NotRead;
  bool landingFailureTold_ = false;
};

}  // namespace kelvory
