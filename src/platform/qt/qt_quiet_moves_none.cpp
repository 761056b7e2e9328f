#include "platform/qt/qt_quiet_moves.h"

namespace kelvory::qt {

// Without X11 Qt's own handling of moves is all there is.
void QuietMoves(QWidget&) {}
void TellMapped(QWidget&, bool) {}
bool MoveQuietly(QWidget&, QPoint) { return false; }
void SendRequests() {}

}  // namespace kelvory::qt
