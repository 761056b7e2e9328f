#include <ctime>

#include "platform/core/local_clock.h"

namespace kelvory {

LocalTime LocalClockNow() {
  const std::time_t t = std::time(nullptr);
  // The zone is the process's own, so is the minute it was last read in.
  static std::time_t zoneMinute = -1;
  if (t / 60 != zoneMinute) {
    zoneMinute = t / 60;
    tzset();
  }
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace kelvory
