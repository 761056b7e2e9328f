#pragma once

#include "platform/types.h"

namespace kelvory {

// The wall clock in the local time zone, for the desktops on POSIX. The zone
// is looked up again once a minute: glibc's localtime and Qt look at
// /etc/localtime on every call, and the clock asks every second.
LocalTime LocalClockNow();

}  // namespace kelvory
