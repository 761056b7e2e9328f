#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

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
  static const xcb_atom_t check = Atom(c, "_NET_SUPPORTING_WM_CHECK");
  return !Cardinals(c, Root(c), check, XCB_ATOM_WINDOW).empty();
}

// A compositing manager owns the selection of the screen Root() names.
bool CompositorRuns(xcb_connection_t* c) {
  static const xcb_atom_t selection = Atom(c, "_NET_WM_CM_S0");
  const auto owner =
      Own(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
  return owner && owner->owner != XCB_WINDOW_NONE;
}

// Keeps the figures above every window the window manager manages. They
// are override-redirect, so no manager stacks them: whenever a managed
// window is mapped or restacked above one of them, they go back on top, in
// their own order, just above the highest managed window (a menu or tooltip
// above that stays above). Watches the root's children through the events
// Qt reads.
//
// A compositing manager that starts while they are shown (a window manager
// replaced) may learn of top-level windows only as they are created or
// reparented to the root: xfwm4 then never draws them, whether mapped,
// raised or repainted. So each time the compositor's selection gets a new
// owner, they are reparented to the root in place, bottom first.
class StackWatch final : public QObject, public QAbstractNativeEventFilter {
 public:
  static StackWatch& instance() {
    static StackWatch watch;
    return watch;
  }
  std::set<xcb_window_t> windows;

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto kind = event->response_type & 0x7F;
    // Configure and map notifications share their first fields. Our own
    // restacking and showing are no reason to restack.
    const auto* e = static_cast<const xcb_map_notify_event_t*>(message);
    const bool child = e->event == root_ && e->window != root_;
    if ((kind == XCB_CONFIGURE_NOTIFY || kind == XCB_MAP_NOTIFY) && child &&
        !windows.contains(e->window) && !queued_) {
      queue();
    }
    const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
    if (kind == XCB_PROPERTY_NOTIFY && property->window == root_ && property->atom == wmCheck_) {
      QMetaObject::invokeMethod(
          this, [this] { listen(); }, Qt::QueuedConnection);
    }
    const auto* owner = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
    if (kind == selectionNotify_ && owner->selection == compositor_ &&
        owner->owner != XCB_WINDOW_NONE) {
      QMetaObject::invokeMethod(
          this, [this] { showToCompositor(); }, Qt::QueuedConnection);
    }
    // Qt takes any ConfigureNotify heard on the root for a change of the
    // screens and reads them all again (a dozen round trips): a child's
    // move, as ours are on every step, is none of its business.
    return kind == XCB_CONFIGURE_NOTIFY && child;
  }

  void restack() {
    queued_ = false;
    xcb_connection_t* c = Connection();
    if (c == nullptr || windows.empty()) return;
    const std::vector<xcb_window_t> children = x11::Children(c, root_);
    const int count = static_cast<int>(children.size());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (int i = 0; i < count; ++i) cookies.push_back(xcb_get_window_attributes(c, children[i]));
    const std::set<xcb_window_t> frames = managedFrames(c);
    std::vector<xcb_window_t> ours;  // bottom to top
    int lowestOurs = count, topManaged = -1;
    for (int i = 0; i < count; ++i) {
      const auto a = Own(xcb_get_window_attributes_reply(c, cookies[i], nullptr));
      if (!a || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
      if (windows.contains(children[i])) {
        ours.push_back(children[i]);
        lowestOurs = std::min(lowestOurs, i);
      } else if (frames.contains(children[i])) {
        topManaged = i;
      }
    }
    if (topManaged < lowestOurs) return;
    xcb_window_t sibling = children[topManaged];
    for (const xcb_window_t w : ours) {
      const std::array<std::uint32_t, 2> values{sibling, XCB_STACK_MODE_ABOVE};
      xcb_configure_window(c, w, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                           values.data());
      sibling = w;
    }
    xcb_flush(c);
  }

 private:
  StackWatch() {
    xcb_connection_t* c = Connection();
    if (c == nullptr || !qGuiApp) return;
    root_ = Root(c);
    clientList_ = Atom(c, "_NET_CLIENT_LIST");
    wmCheck_ = Atom(c, "_NET_SUPPORTING_WM_CHECK");
    const auto a =
        Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root_), nullptr));
    if (!a) return;
    rootMask_ = a->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    watchCompositor(c);
    qGuiApp->installNativeEventFilter(this);
    listen();
  }
  // Adds the root's children's changes to what Qt already hears from it
  // while a window manager runs. With none no window is managed, and each
  // move of a figure would only come back a second time, heard on the root.
  void listen() {
    xcb_connection_t* c = Connection();
    if (c == nullptr) return;
    const bool managing = WindowManagerRuns(c);
    const std::uint32_t mask =
        rootMask_ | (managing ? XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY : XCB_EVENT_MASK_NO_EVENT);
    xcb_change_window_attributes(c, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    // A manager that has just come may have mapped its windows already.
    if (managing) restack();
  }
  // Asks XFixes to tell when the compositor's selection (of the screen
  // Root() names, the first) changes hands.
  void watchCompositor(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes == nullptr || !xfixes->present) return;
    Own(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    compositor_ = Atom(c, "_NET_WM_CM_S0");
    selectionNotify_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    xcb_xfixes_select_selection_input(c, root_, compositor_,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
  }
  // Reparenting to the root, the parent they have, unmaps and maps them
  // again on top; Qt repaints them on the exposure that follows.
  void showToCompositor() {
    xcb_connection_t* c = Connection();
    if (c == nullptr || windows.empty()) return;
    for (const xcb_window_t w : x11::Children(c, root_)) {
      if (!windows.contains(w)) continue;
      const auto a =
          Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
      const auto g = Own(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
      if (!a || !g || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
      xcb_reparent_window(c, w, root_, g->x, g->y);
    }
    xcb_flush(c);
    restack();
  }
  // The root's children that hold the manager's clients: their frames
  // (which a manager may make override-redirect too), or themselves.
  std::set<xcb_window_t> managedFrames(xcb_connection_t* c) const {
    constexpr int kDeepest = 4;  // a frame, a wrapper, the client
    std::set<xcb_window_t> frames;
    for (xcb_window_t w : Cardinals(c, root_, clientList_, XCB_ATOM_WINDOW)) {
      for (int depth = 0; depth < kDeepest; ++depth) {
        const auto tree = Own(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
        if (!tree) break;
        if (tree->parent == root_) {
          frames.insert(w);
          break;
        }
        w = tree->parent;
      }
    }
    return frames;
  }

  void queue() {
    // Once for a burst of changes, after Qt has seen the event too.
    queued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { restack(); }, Qt::QueuedConnection);
  }
  xcb_window_t root_ = XCB_WINDOW_NONE;
  xcb_atom_t clientList_ = XCB_ATOM_NONE;
  xcb_atom_t wmCheck_ = XCB_ATOM_NONE;
  std::uint32_t rootMask_ = XCB_EVENT_MASK_NO_EVENT;  // Qt's and the property changes
  xcb_atom_t compositor_ = XCB_ATOM_NONE;
  int selectionNotify_ = -1;  // none without XFixes
  bool queued_ = false;
};

}  // namespace

void DrawWithoutShadow(QWidget& window) {
  xcb_connection_t* c = Connection();
  // Without a compositor nothing draws shadows, and a window with alpha
  // would cost on every move: the X server blends it onto the screen itself.
  if (c != nullptr && CompositorRuns(c)) window.setAttribute(Qt::WA_TranslucentBackground);
}

void PassInputThrough(QWidget& window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr) return;
  xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                       static_cast<xcb_window_t>(window.winId()), 0, 0, 0, nullptr);
  xcb_flush(c);
}

void KeepAboveManagedWindows(QWidget& window) {
  if (Connection() == nullptr) return;
  StackWatch& watch = StackWatch::instance();
  watch.windows.insert(static_cast<xcb_window_t>(window.winId()));
  watch.restack();
}

void ForgetKeepAbove(QWidget& window) {
  if (Connection() == nullptr || !window.testAttribute(Qt::WA_WState_Created)) return;
  StackWatch::instance().windows.erase(static_cast<xcb_window_t>(window.winId()));
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
