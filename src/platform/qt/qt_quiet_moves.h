#pragma once

#include <QRect>

class QWidget;

namespace kelvory::qt {

// The figures move every step. Each move the X server makes came back as a
// ConfigureNotify and a PropertyNotify (Qt rewrites the size hints with
// every move): Qt's X thread woke to read them and the main thread woke
// again to handle them, only to learn the geometry Qt itself had just set.
// A figure bypasses the window manager, so nothing but the program moves,
// maps or restates it: a window handed to QuietMoves no longer hears its own
// structure and property changes. The one thing Qt learns from them, whether
// the window is mapped, TellMapped tells it after each map or unmap. Off the
// X11 platform, or built without xcb (qt_quiet_moves_none.cpp), nothing
// changes. Call QuietMoves once the window exists.
void QuietMoves(QWidget& window);
void TellMapped(QWidget& window, bool mapped);

// Qt also rewrites the size hints and flushes its connection with every
// move: two requests and a write to the X server, which wakes, a step of
// each figure; and a new size makes it resize its backing store and paint
// the window afresh, which a figure the X server draws does not need.
// PlaceQuietly moves the window (and with `resized` sizes it) with one
// request that waits in the connection for the step's others, and returns
// false where it cannot (off X11, a scaled window) for Qt to do it. Qt's
// idea of the window's geometry goes stale until the caller tells it
// again. SendRequests sends what waits, before the program sleeps and after
// each timer tick (for Qt's own loops).
bool PlaceQuietly(QWidget& window, const QRect& place, bool resized);
void SendRequests();

}  // namespace kelvory::qt
