// libFuzzer target: the profile-file reader and writer and the catch-count
// decoder take any bytes without crashing, and a value written reads back.
// Every input is also tried as a whole file behind each byte-order mark,
// which the writer must keep.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/catch_store.h"
#include "base/settings.h"
#include "platform/profile.h"

namespace {

void Check(const std::string& text, std::string_view bom) {
  const std::string tyouka = kelvory::profile::getValue(text, "Data", "Tyouka");
  if (tyouka.find('\0') != std::string::npos) __builtin_trap();
  const kelvory::CatchCounts counts = kelvory::DecodeCatchCounts(tyouka);
  kelvory::DecodeCatchCounts(text);
  for (std::size_t i = 0; i < 13; ++i) {
    if (counts[i] < 0 || counts[i] > 0xFFF) __builtin_trap();
  }
  const std::string encoded = kelvory::EncodeCatchCounts(counts);
  const std::string written = kelvory::profile::setValue(text, "Data", "Tyouka", encoded);
  if (kelvory::profile::getValue(written, "Data", "Tyouka") != encoded) __builtin_trap();
  if (kelvory::DecodeCatchCounts(encoded) != counts) __builtin_trap();
  if (!written.starts_with(bom)) __builtin_trap();
  // A second value leaves the first as it was.
  const std::string both = kelvory::profile::setValue(written, "Data", "Complete", "1");
  if (kelvory::profile::getValue(both, "Data", "Tyouka") != encoded) __builtin_trap();
  if (kelvory::profile::getValue(both, "Data", "Complete") != "1") __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (const std::string_view bom : {std::string_view(), std::string_view("\xEF\xBB\xBF"),
                                     std::string_view("\xFF\xFE"), std::string_view("\xFE\xFF")}) {
    // A UTF-16 file that starts with another mark would be read as that.
    if (!bom.empty() && (input.starts_with("\xEF\xBB\xBF") || input.starts_with("\xFF\xFE") ||
                         input.starts_with("\xFE\xFF"))) {
      continue;
    }
    Check(std::string(bom) + std::string(input), bom);
  }
  return 0;
}
