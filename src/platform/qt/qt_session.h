#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace kelvory::qt {

// Turns SIGTERM and SIGHUP into a call on the event loop's thread: the
// handler only writes a byte to a pipe that a socket notifier watches.
class TerminationWatch {
 public:
  explicit TerminationWatch(std::function<void()> onTerminate);
  ~TerminationWatch();
  TerminationWatch(const TerminationWatch&) = delete;
  TerminationWatch& operator=(const TerminationWatch&) = delete;

 private:
  std::function<void()> onTerminate_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kelvory::qt
