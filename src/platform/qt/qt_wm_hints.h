#pragma once

#include <QMargins>
#include <optional>

class QWidget;

namespace kelvory::qt {

// What the figures ask of an X11 window manager beyond Qt's own window
// flags. Off the X11 platform (or built without xcb: qt_wm_hints_none.cpp),
// or with no window manager, they do nothing.

// Keeps the window out of every taskbar and pager. A window manager drops a
// window's states when it is withdrawn, so this is asked before every map;
// on a mapped window it goes to the window manager as a request.
void SkipTaskbarAndPager(QWidget& window);

// Lets mouse input through the window to whatever lies below: an empty
// input shape. A reparenting window manager wraps the window in a frame of
// its own, which copies the input shape only when it changes after the
// window is managed, so the shape is set again at every reparenting. Call
// once the window exists, and forget it before it goes.
void PassInputThrough(QWidget& window);
void ForgetInputPassThrough(QWidget& window);

// Asks for a title bar, a border and a close box and nothing else: a
// dialog of a program that waits on it is neither minimised nor maximised.
void DialogDecorations(QWidget& window);

// The frame the window manager will put around this (not yet mapped)
// window, asked for with _NET_REQUEST_FRAME_EXTENTS. Nothing when no
// window manager answers within a moment; then no frame is drawn either.
std::optional<QMargins> RequestFrameExtents(QWidget& window);

}  // namespace kelvory::qt
