#pragma once

#include <string_view>

#include "platform/types.h"

namespace kelvory {

// The name every desktop prints for a moment: the simulated desktop's trace
// event, the real desktops' KELVORY_TRACE log.
std::string_view MomentName(Moment moment);

}  // namespace kelvory
