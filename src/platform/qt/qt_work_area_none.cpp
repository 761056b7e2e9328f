#include <QScreen>

#include "platform/qt/qt_work_area.h"

namespace kelvory::qt {

int WorkAreaBottom(const QScreen& screen) { return screen.availableGeometry().bottom() + 1; }

std::unique_ptr<QObject> WatchWorkArea(std::function<void()>) { return nullptr; }

}  // namespace kelvory::qt
