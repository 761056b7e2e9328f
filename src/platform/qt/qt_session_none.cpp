#include "platform/qt/qt_session.h"

namespace kelvory::qt {

// No signals to watch: the session manager's request is the only way in.
std::unique_ptr<QObject> WatchTermination(std::function<void()>) { return nullptr; }

}  // namespace kelvory::qt
