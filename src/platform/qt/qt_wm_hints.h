#pragma once

#include <QMargins>
#include <optional>

class QWidget;

namespace kelvory::qt {

// What the figures ask of an X11 window manager beyond Qt's own window
// flags. Off the X11 platform (or built without xcb: qt_wm_hints_none.cpp),
// or with no window manager, they do nothing.

// Gives the window an alpha channel (before it is created; all its pixels
// are drawn opaque) while a compositing manager runs. A compositor draws a
// drop shadow around an opaque window, override-redirect or not (GNOME's
// does, along the outline), and that would smudge the desktop around each
// figure; around a window with alpha it draws none. Without a compositor
// the window stays opaque: the X server would otherwise blend it onto the
// screen at every move. A compositor that starts while the figures are up
// finds them opaque.
void DrawWithoutShadow(QWidget& window);

// Lets mouse input through the window to whatever lies below: an empty
// input shape. The figures are override-redirect (no manager frames them),
// so it stays as set.
void PassInputThrough(QWidget& window);

// Keeps an override-redirect window above every managed window, in the
// order the figures have among themselves. Call once the window exists
// and each time it is shown afresh; forget it before it goes.
void KeepAboveManagedWindows(QWidget& window);
void ForgetKeepAbove(QWidget& window);

// Asks for a title bar, a border and a close box and nothing else: a
// dialog of a program that waits on it is neither minimised nor maximised.
void DialogDecorations(QWidget& window);

// The frame the window manager will put around this (not yet mapped)
// window, asked for with _NET_REQUEST_FRAME_EXTENTS. Nothing when no
// window manager answers within a moment; then no frame is drawn either.
std::optional<QMargins> RequestFrameExtents(QWidget& window);

}  // namespace kelvory::qt
