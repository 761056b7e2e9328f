#include "platform/core/desktop_core.h"

namespace kelvory {

// Sleeps in the event loop between messages: an idle program costs nothing.
void DesktopCore::waitUntil(Ms deadline, const std::function<bool()>& done) {
  for (;;) {
    if (done()) return;
    collectGarbage();
    if (deadline != kNever && now() >= deadline) {
      // What fell due by the deadline still runs before the wait ends.
      dispatchQueued(done);
      return;
    }
    waitForEvents(deadline);
  }
}

}  // namespace kelvory
