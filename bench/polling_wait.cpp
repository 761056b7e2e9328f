#include "platform/core/desktop_core.h"

namespace kelvory {

// The wait as it used to be, kept only to measure the blocking one against:
// it never sleeps, but drains the queue and re-reads the clock until done()
// holds or the deadline has passed.
void DesktopCore::waitUntil(Ms deadline, const std::function<bool()>& done) {
  for (;;) {
    if (done()) return;
    collectGarbage();
    const bool due = deadline != kNever && now() >= deadline;
    dispatchQueued(done);
    if (due) return;
  }
}

}  // namespace kelvory
