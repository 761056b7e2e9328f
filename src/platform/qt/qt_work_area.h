#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QScreen;

namespace kelvory::qt {

// The bottom of the screen's work area, in Qt's pixels: Qt's own available
// geometry, which on X11 is the _NET_WORKAREA the window manager publishes.
// A manager that publishes none (a tiling one, or none at all) leaves it at
// the screen's bottom; then the panels and bars that reserve space say
// where it ends: the lowest bottom strut of a shown window, or the top of a
// dock window along the screen's bottom edge. What was found is kept until
// the X server reports a change that could move it; with no window manager
// at all, the root tells nothing of a panel that comes later, and the next
// change of the screen brings it in.
int WorkAreaBottom(const QScreen& screen);

// Calls `moved` when the bottom moves where Qt says nothing of it: a panel
// that comes, goes or moves under a manager that publishes no work area.
// The watch lasts as long as the object returned; nullptr where none is
// needed (off X11, or built without xcb).
std::unique_ptr<QObject> WatchWorkArea(std::function<void()> moved);

}  // namespace kelvory::qt
