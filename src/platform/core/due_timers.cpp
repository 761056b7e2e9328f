#include "platform/core/due_timers.h"

#include <algorithm>

namespace kelvory {

void DueTimers::start(TimerId id, int intervalMs, Desktop::Ms now) {
  timers_[id] = {intervalMs, now + intervalMs};
}

void DueTimers::stop(TimerId id) { timers_.erase(id); }

std::optional<TimerId> DueTimers::takeDue(Desktop::Ms now) {
  const auto first =
      std::min_element(timers_.begin(), timers_.end(),
                       [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
  if (first == timers_.end() || first->second.due > now) return std::nullopt;
  first->second.due = now + first->second.intervalMs;
  return first->first;
}

Desktop::Ms DueTimers::nextDue() const {
  Desktop::Ms due = Desktop::kNever;
  for (const auto& [id, timer] : timers_) due = std::min(due, timer.due);
  return due;
}

}  // namespace kelvory
