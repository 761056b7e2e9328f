// libFuzzer target: the profile-file reader and writer and the catch-count
// decoder take any bytes without crashing, and a value written reads back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "platform/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string tyouka = kelvory::profile::getValue(text, "Data", "Tyouka");
  const kelvory::CatchCounts counts = kelvory::DecodeCatchCounts(tyouka);
  kelvory::DecodeCatchCounts(text);
  for (std::size_t i = 0; i < 13; ++i) {
    if (counts[i] < 0 || counts[i] > 0xFFF) __builtin_trap();
  }
  const std::string encoded = kelvory::EncodeCatchCounts(counts);
  const std::string written = kelvory::profile::setValue(text, "Data", "Tyouka", encoded);
  if (kelvory::profile::getValue(written, "Data", "Tyouka") != encoded) __builtin_trap();
  if (kelvory::DecodeCatchCounts(encoded) != counts) __builtin_trap();
  return 0;
}
