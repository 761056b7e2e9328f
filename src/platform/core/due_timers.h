#pragma once

#include <map>
#include <optional>

#include "platform/desktop.h"

namespace kelvory {

// Timers a desktop runs from its own wait, each due an interval after it
// last ran: a late tick does not bunch up with the next.
class DueTimers {
 public:
  void start(TimerId id, int intervalMs, Desktop::Ms now);
  void stop(TimerId id);
  // The timer due first if it is due by now; its next tick counts from now.
  std::optional<TimerId> takeDue(Desktop::Ms now);
  // When the first one falls due; kNever without timers.
  Desktop::Ms nextDue() const;

 private:
  struct Timer {
    int intervalMs = 0;
    Desktop::Ms due = 0;
  };
  std::map<TimerId, Timer> timers_;
};

}  // namespace kelvory
