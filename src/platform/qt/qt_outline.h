#pragma once

class QRegion;
class QWidget;

namespace kelvory::qt {

// Cuts a top-level window to an outline (in the widget's pixels). On X11 the
// outline goes straight to the X server as the window's shape, so that Qt,
// which knows nothing of it, neither clips its painting to it nor sends the
// window's picture as one image per rectangle of the outline (some hundred
// for a fish); the X server clips the one image instead. Elsewhere, or
// built without xcb (qt_outline_none.cpp), it is the widget's mask.
void SetOutline(QWidget& window, const QRegion& outline);

}  // namespace kelvory::qt
