#pragma once

#include <QMargins>
#include <optional>

class QWidget;

namespace kelvory::qt {

// What the figures ask of an X11 window manager beyond Qt's own window
// flags. Off the X11 platform, or with no window manager, they do nothing.

// Keeps the window out of every taskbar and pager. A window manager drops a
// window's states when it is withdrawn, so this is asked before every map;
// on a mapped window it goes to the window manager as a request.
void SkipTaskbarAndPager(QWidget& window);

// The frame the window manager will put around this (not yet mapped)
// window, asked for with _NET_REQUEST_FRAME_EXTENTS. Nothing when no
// window manager answers within a moment; then no frame is drawn either.
std::optional<QMargins> RequestFrameExtents(QWidget& window);

}  // namespace kelvory::qt
