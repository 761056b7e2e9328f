#include "platform/qt/qt_fullscreen.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace kelvory::qt {
namespace {

// xcb replies are malloc'd.
template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Own(T* reply) {
  return Reply<T>(reply, &std::free);
}

xcb_atom_t Atom(xcb_connection_t* c, std::string_view name) {
  const auto reply = Own(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

FullscreenWatch::FullscreenWatch(std::function<void(bool)> changed) : changed_(std::move(changed)) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return;
  auto* c = x11->connection();
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (screen == nullptr) return;
  connection_ = c;
  root_ = screen->root;
  activeAtom_ = Atom(c, "_NET_ACTIVE_WINDOW");
  stateAtom_ = Atom(c, "_NET_WM_STATE");
  fullscreenAtom_ = Atom(c, "_NET_WM_STATE_FULLSCREEN");
  if (activeAtom_ == XCB_ATOM_NONE || stateAtom_ == XCB_ATOM_NONE ||
      fullscreenAtom_ == XCB_ATOM_NONE) {
    return;
  }
  qGuiApp->installNativeEventFilter(this);
  installed_ = true;
  watchProperties(root_);
  check();
}

FullscreenWatch::~FullscreenWatch() {
  if (installed_ && qGuiApp) qGuiApp->removeNativeEventFilter(this);
}

bool FullscreenWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
  if ((notify->atom == activeAtom_ || notify->atom == stateAtom_) && !checkQueued_) {
    // Looked at once the event is handled, and once for a burst of changes;
    // Qt sees the event too.
    checkQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { check(); }, Qt::QueuedConnection);
  }
  return false;
}

void FullscreenWatch::check() {
  checkQueued_ = false;
  const xcb_window_t active = activeWindow();
  if (active != watched_ && active != XCB_WINDOW_NONE) {
    watched_ = active;
    watchProperties(active);
  }
  const bool covered = active != XCB_WINDOW_NONE && isFullscreen(active);
  if (covered == covered_) return;
  covered_ = covered;
  changed_(covered);
}

void FullscreenWatch::watchProperties(unsigned window) const {
  // Adds property changes to what this connection already hears from the
  // window (Qt's own mask on the root or on our windows stays as it is).
  auto* c = static_cast<xcb_connection_t*>(connection_);
  const auto attributes =
      Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  if (!attributes) return;
  const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
  if (mask != attributes->your_event_mask) {
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
  }
}

unsigned FullscreenWatch::activeWindow() const {
  auto* c = static_cast<xcb_connection_t*>(connection_);
  const auto active = Own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, root_, activeAtom_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
  if (!active || xcb_get_property_value_length(active.get()) < 4) return XCB_WINDOW_NONE;
  return *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
}

bool FullscreenWatch::isFullscreen(unsigned window) const {
  auto* c = static_cast<xcb_connection_t*>(connection_);
  const auto state = Own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, stateAtom_, XCB_ATOM_ATOM, 0, 32), nullptr));
  if (!state) return false;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.get()));
  const int count = xcb_get_property_value_length(state.get()) / 4;
  for (int i = 0; i < count; ++i) {
    if (atoms[i] == fullscreenAtom_) return true;
  }
  return false;
}

}  // namespace kelvory::qt
