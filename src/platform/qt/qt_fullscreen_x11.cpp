#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QTimerEvent>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/qt/qt_fullscreen.h"

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

// Looks once a second: the window manager's properties change without
// telling us, and one round trip a second costs nothing measurable.
class FullscreenWatch final : public QObject {
 public:
  explicit FullscreenWatch(std::function<void(bool covered)> changed);
  ~FullscreenWatch() override;
  FullscreenWatch(const FullscreenWatch&) = delete;
  FullscreenWatch& operator=(const FullscreenWatch&) = delete;

 protected:
  void timerEvent(QTimerEvent*) override;

 private:
  bool activeIsFullscreen() const;

  std::function<void(bool)> changed_;
  int timer_ = 0;
  bool covered_ = false;
  xcb_connection_t* connection_ = nullptr;  // owned by Qt
  xcb_window_t root_ = 0;
  xcb_atom_t activeAtom_ = 0, stateAtom_ = 0, fullscreenAtom_ = 0;
};

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
  if (activeAtom_ != XCB_ATOM_NONE && stateAtom_ != XCB_ATOM_NONE &&
      fullscreenAtom_ != XCB_ATOM_NONE) {
    timer_ = startTimer(1000);
  }
}

FullscreenWatch::~FullscreenWatch() {
  if (timer_ != 0) killTimer(timer_);
}

void FullscreenWatch::timerEvent(QTimerEvent* event) {
  if (event->timerId() != timer_) return;
  const bool covered = activeIsFullscreen();
  if (covered == covered_) return;
  covered_ = covered;
  changed_(covered);
}

bool FullscreenWatch::activeIsFullscreen() const {
  auto* c = connection_;
  const auto active = Own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, root_, activeAtom_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
  if (!active || xcb_get_property_value_length(active.get()) < 4) return false;
  const xcb_window_t window =
      *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
  if (window == XCB_WINDOW_NONE) return false;
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
