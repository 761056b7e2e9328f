#include "base/catch_store.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "base/settings.h"
#include "platform/desktop.h"

namespace kelvory {
namespace {

constexpr std::size_t kDigits = 3;

}  // namespace

CatchCounts DecodeCatchCounts(std::string_view tyouka) {
  CatchCounts counts{};
  for (std::size_t i = 0; i < kSpeciesCount; ++i) {
    const std::size_t start = kDigits * i;
    if (start >= tyouka.size()) break;
    const std::string_view group = tyouka.substr(start, kDigits);
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
  for (std::size_t i = 0; i < kSpeciesCount; ++i) {
    const unsigned v = static_cast<std::uint16_t>(counts[i]) & static_cast<unsigned>(kCountCap);
    out += kHex[(v >> 8) & 0xF];
    out += kHex[(v >> 4) & 0xF];
    out += kHex[v & 0xF];
  }
  return out;
}

std::string UnreadableSettingsMessage(std::string_view path) {
  return "釣果の記録ファイルを読み込めませんでした。\n" + std::string(path) +
         "\nこのファイルの釣果には手を付けません。今回の釣果は保存されません。";
}

bool CatchStore::Load() {
  CatchCount.fill(0);
  CompleteSaved = false;
  const std::optional<std::string> counts = ReadSetting(desktop_, kCatchSection, kCountsKey);
  const std::optional<std::string> complete =
      counts ? ReadSetting(desktop_, kCatchSection, kCompleteKey) : std::nullopt;
  if (!counts || !complete) {
    state_ = State::Unreadable;
    // The box at start-up has told it already.
    landingFailureTold_ = true;
    return false;
  }
  if (!counts->empty()) CatchCount = DecodeCatchCounts(*counts);
  CompleteSaved = *complete == "1";
  state_ = State::Read;
  return true;
}

bool CatchStore::SaveCatchCounts() {
  if (state_ != State::Read) return false;
  return WriteSetting(desktop_, kCatchSection, kCountsKey, EncodeCatchCounts(CatchCount));
}

bool CatchStore::SaveComplete() {
  if (state_ != State::Read) return false;
  return WriteSetting(desktop_, kCatchSection, kCompleteKey, "1");
}

void CatchStore::SaveLanding() {
  if (SaveCatchCounts()) {
    landingFailureTold_ = false;
    return;
  }
  if (landingFailureTold_) return;
  landingFailureTold_ = true;
  desktop_.messageBox(kNotSavedMessage, MsgButtons::Ok, MsgIcon::Warning);
}

void CatchStore::Add(int index) {
  std::int16_t& n = CatchCount.at(static_cast<std::size_t>(index));
  n = std::min<std::int16_t>(static_cast<std::int16_t>(n + 1), kCountCap);
}

bool CatchStore::Complete() const {
  return std::all_of(CatchCount.begin(), CatchCount.begin() + kSpeciesCount,
                     [](std::int16_t c) { return c != 0; });
}

}  // namespace kelvory
