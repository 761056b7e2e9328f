#pragma once

// Small helpers for the X11 parts of the Qt desktop (the *_x11.cpp files,
// built only where xcb is present): Qt's own connection, and replies owned
// the way xcb hands them out.

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace kelvory::qt::x11 {

// xcb replies are malloc'd.
template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Own(T* reply) {
  return Reply<T>(reply, &std::free);
}

// Qt's connection to the X server; none off the X11 platform. Asked for at
// every step of a figure, it is looked up once an application: Qt resolves
// its native interface anew each time.
inline xcb_connection_t* Connection() {
  static const QGuiApplication* askedOf = nullptr;
  static xcb_connection_t* connection = nullptr;
  if (qGuiApp != askedOf) {
    askedOf = qGuiApp;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    connection = x11 != nullptr ? x11->connection() : nullptr;
  }
  return connection;
}

// The connection where the window's pixels are the X server's own (not
// scaled): where requests of our own can stand in for Qt's drawing and
// moving. None elsewhere, and before the window has a native window.
inline xcb_connection_t* UnscaledConnection(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return handle != nullptr && handle->devicePixelRatio() == 1.0 ? Connection() : nullptr;
}

inline xcb_window_t Root(xcb_connection_t* c) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  return screen != nullptr ? screen->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

inline xcb_atom_t Atom(xcb_connection_t* c, std::string_view name) {
  const auto reply = Own(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The window's children, bottom to top; none when it is gone.
inline std::vector<xcb_window_t> Children(xcb_connection_t* c, xcb_window_t window) {
  const auto tree = Own(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
  if (!tree) return {};
  const xcb_window_t* first = xcb_query_tree_children(tree.get());
  return {first, first + xcb_query_tree_children_length(tree.get())};
}

}  // namespace kelvory::qt::x11
