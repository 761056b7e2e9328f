#pragma once

class QWidget;

namespace kelvory::qt {

// The figures move every step. For every move the X server confirms, Qt asks
// it again where the window is and how large its frame is: four round trips
// that only repeat the geometry Qt itself just set. A window handed here has
// those confirmations dropped when they match Qt's own geometry; any other
// (a window manager's placement, a reparenting) still reaches Qt. Off the
// X11 platform, or built without xcb (qt_quiet_moves_none.cpp), nothing
// changes. Call once the window exists, and forget it before it goes.
void QuietMoves(QWidget& window);
void ForgetQuietMoves(QWidget& window);

}  // namespace kelvory::qt
