#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "platform/qt/qt_wm_hints.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {
namespace {

using x11::Atom;
using x11::Connection;
using x11::Own;
using x11::Root;

std::vector<std::uint32_t> Cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type) {
  const auto reply = Own(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 64), nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

void SendToRoot(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                const std::array<std::uint32_t, 5>& data) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = type;
  for (std::size_t i = 0; i < data.size(); ++i) event.data.data32[i] = data[i];
  xcb_send_event(c, 0, Root(c),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
}

// An EWMH window manager names its check window on the root.
bool WindowManagerRuns(xcb_connection_t* c) {
  return !Cardinals(c, Root(c), Atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty();
}

void EmptyInputShape(xcb_connection_t* c, xcb_window_t window) {
  xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window,
                       0, 0, 0, nullptr);
  xcb_flush(c);
}

// Watches the X events Qt reads for the reparenting of the windows that
// pass input through.
class PassThroughWatch final : public QAbstractNativeEventFilter {
 public:
  static PassThroughWatch& instance() {
    static PassThroughWatch watch;
    return watch;
  }
  std::set<xcb_window_t> windows;

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_REPARENT_NOTIFY) return false;
    const auto* reparent = static_cast<const xcb_reparent_notify_event_t*>(message);
    if (windows.contains(reparent->window)) {
      if (xcb_connection_t* c = Connection()) EmptyInputShape(c, reparent->window);
    }
    return false;
  }

 private:
  PassThroughWatch() {
    if (qGuiApp) qGuiApp->installNativeEventFilter(this);
  }
};

}  // namespace

void PassInputThrough(QWidget& window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  PassThroughWatch::instance().windows.insert(id);
  EmptyInputShape(c, id);
}

void ForgetInputPassThrough(QWidget& window) {
  if (Connection() == nullptr || !window.testAttribute(Qt::WA_WState_Created)) return;
  PassThroughWatch::instance().windows.erase(static_cast<xcb_window_t>(window.winId()));
}

void SkipTaskbarAndPager(QWidget& window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
  const xcb_atom_t skipTaskbar = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
  const xcb_atom_t skipPager = Atom(c, "_NET_WM_STATE_SKIP_PAGER");
  if (window.isVisible()) {
    constexpr std::uint32_t kAdd = 1;
    constexpr std::uint32_t kFromApplication = 1;
    SendToRoot(c, id, state, {kAdd, skipTaskbar, skipPager, kFromApplication, 0});
  } else {
    // Qt keeps the states it finds on the window when it maps it.
    std::vector<std::uint32_t> atoms = Cardinals(c, id, state, XCB_ATOM_ATOM);
    for (const xcb_atom_t wanted : {skipTaskbar, skipPager}) {
      if (std::find(atoms.begin(), atoms.end(), wanted) == atoms.end()) atoms.push_back(wanted);
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
  }
  xcb_flush(c);
}

void DialogDecorations(QWidget& window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr) return;
  // The Motif hints every X11 window manager reads.
  constexpr std::uint32_t kFunctions = 1, kDecorations = 2;
  constexpr std::uint32_t kMove = 4, kClose = 32;
  constexpr std::uint32_t kBorder = 2, kTitle = 8, kMenu = 16;
  const std::array<std::uint32_t, 5> hints{kFunctions | kDecorations, kMove | kClose,
                                           kBorder | kTitle | kMenu, 0, 0};
  const xcb_atom_t motif = Atom(c, "_MOTIF_WM_HINTS");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()), motif,
                      motif, 32, static_cast<std::uint32_t>(hints.size()), hints.data());
  xcb_flush(c);
}

std::optional<QMargins> RequestFrameExtents(QWidget& window) {
  // A window manager that did not answer once is not waited for again.
  static bool unanswered = false;
  xcb_connection_t* c = Connection();
  if (c == nullptr || unanswered || !WindowManagerRuns(c)) return std::nullopt;
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t extents = Atom(c, "_NET_FRAME_EXTENTS");
  xcb_delete_property(c, id, extents);
  SendToRoot(c, id, Atom(c, "_NET_REQUEST_FRAME_EXTENTS"), {0, 0, 0, 0, 0});
  xcb_flush(c);
  // The answer is a property the window manager sets; a busy one may take a
  // moment, a window manager without the request never answers.
  using namespace std::chrono;
  const auto giveUp = steady_clock::now() + milliseconds(300);
  do {
    const std::vector<std::uint32_t> v = Cardinals(c, id, extents, XCB_ATOM_CARDINAL);
    if (v.size() >= 4) {
      return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                      static_cast<int>(v[3]));
    }
    QThread::msleep(5);
  } while (steady_clock::now() < giveUp);
  unanswered = true;
  return std::nullopt;
}

}  // namespace kelvory::qt
