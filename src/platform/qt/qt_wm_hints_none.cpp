#include "platform/qt/qt_wm_hints.h"

namespace kelvory::qt {

// Without X11 there is no window manager to ask: Qt's own window flags are
// all the figures get.
void DrawWithoutShadow(QWidget&) {}
void PassInputThrough(QWidget&) {}
void KeepAboveManagedWindows(QWidget&) {}
void ForgetKeepAbove(QWidget&) {}
void DialogDecorations(QWidget&) {}
std::optional<QMargins> RequestFrameExtents(QWidget&) { return std::nullopt; }

}  // namespace kelvory::qt
