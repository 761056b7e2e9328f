#include "platform/qt/qt_fullscreen.h"

namespace kelvory::qt {

std::unique_ptr<QObject> WatchFullscreen(std::function<void(bool)>) { return nullptr; }

}  // namespace kelvory::qt
