#include "platform/qt/qt_server_drawing.h"

namespace kelvory::qt {

// Without X11 Qt paints every window.
bool ServerDrawing::show(const FigureLook&) { return false; }
void ServerDrawing::stop() {}

}  // namespace kelvory::qt
