#include <QAbstractNativeEventFilter>
#include <QByteArray>

#include "platform/qt/qt_fullscreen.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {
namespace {

using x11::Atom;
using x11::Connection;
using x11::Own;
using x11::Root;

// Looks only when the root's active window or the active window's state
// changes, so an idle desktop never wakes the program for it.
class FullscreenWatch final : public QObject, public QAbstractNativeEventFilter {
 public:
  explicit FullscreenWatch(std::function<void(bool covered)> changed);
  ~FullscreenWatch() override;
  FullscreenWatch(const FullscreenWatch&) = delete;
  FullscreenWatch& operator=(const FullscreenWatch&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  void check();
  void watchProperties(xcb_window_t window) const;
  xcb_window_t activeWindow() const;
  bool isFullscreen(xcb_window_t window) const;

  std::function<void(bool)> changed_;
  bool installed_ = false;
  bool checkQueued_ = false;
  bool covered_ = false;
  xcb_window_t watched_ = XCB_WINDOW_NONE;
  xcb_connection_t* connection_ = nullptr;  // owned by Qt
  xcb_window_t root_ = XCB_WINDOW_NONE;
  xcb_atom_t activeAtom_ = XCB_ATOM_NONE, stateAtom_ = XCB_ATOM_NONE,
             fullscreenAtom_ = XCB_ATOM_NONE;
};

FullscreenWatch::FullscreenWatch(std::function<void(bool)> changed) : changed_(std::move(changed)) {
  xcb_connection_t* c = Connection();
  if (c == nullptr || Root(c) == XCB_WINDOW_NONE) return;
  connection_ = c;
  root_ = Root(c);
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

void FullscreenWatch::watchProperties(xcb_window_t window) const {
  // Adds property changes to what this connection already hears from the
  // window (Qt's own mask on the root or on our windows stays as it is).
  xcb_connection_t* c = connection_;
  const auto attributes =
      Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  if (!attributes) return;
  const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
  if (mask != attributes->your_event_mask) {
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
  }
}

xcb_window_t FullscreenWatch::activeWindow() const {
  xcb_connection_t* c = connection_;
  const auto active = Own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, root_, activeAtom_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
  if (!active || xcb_get_property_value_length(active.get()) < 4) return XCB_WINDOW_NONE;
  return *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
}

bool FullscreenWatch::isFullscreen(xcb_window_t window) const {
  xcb_connection_t* c = connection_;
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

}  // namespace

std::unique_ptr<QObject> WatchFullscreen(std::function<void(bool)> changed) {
  return std::make_unique<FullscreenWatch>(std::move(changed));
}

}  // namespace kelvory::qt
