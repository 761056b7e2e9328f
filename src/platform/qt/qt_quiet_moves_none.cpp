#include "platform/qt/qt_quiet_moves.h"

namespace kelvory::qt {

// Without X11 Qt's own handling of moves is all there is.
void QuietMoves(QWidget&) {}
void TellMapped(QWidget&, bool) {}
bool PlaceQuietly(QWidget&, const QRect&, bool) { return false; }
void SendRequests() {}

}  // namespace kelvory::qt
