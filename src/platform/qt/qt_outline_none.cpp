#include <QRegion>
#include <QWidget>

#include "platform/qt/qt_outline.h"

namespace kelvory::qt {

void SetOutline(QWidget& window, const QRegion& outline) { window.setMask(outline); }

}  // namespace kelvory::qt
