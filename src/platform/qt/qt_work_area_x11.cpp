#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/qt/qt_work_area.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {
namespace {

using x11::Atom;
using x11::Connection;
using x11::Own;
using x11::Root;

std::vector<std::uint32_t> Values(xcb_get_property_reply_t* reply) {
  if (reply == nullptr || reply->format != 32) return {};
  const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
  return {values, values + xcb_get_property_value_length(reply) / 4};
}

xcb_get_property_cookie_t AskValues(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  return xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 16);
}

// Every window Qt's connection made has its id from the range the X server
// gave that connection: no list of our windows to walk at each event.
bool IsOurs(xcb_connection_t* c, xcb_window_t window) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  return (window & ~setup->resource_id_mask) == setup->resource_id_base;
}

// Panels sit at most this deep: root, the manager's frame, a wrapper, the
// client.
constexpr int kDepth = 3;

// Looks at the windows one level of the tree at a time, each question
// asked of the whole level before any answer is read: a few waits for the
// X server per look, not several per window.
class StrutScan {
 public:
  explicit StrutScan(xcb_connection_t* c) : c_(c), root_(Root(c)) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    height_ = bottom_ = screen != nullptr ? screen->height_in_pixels : 0;
  }

  // The lowest top of what reserves the screen's bottom, in X pixels, from
  // the root's children as asked for (`rootTree`). The program's own
  // windows reserve nothing and are passed over.
  int bottom(xcb_query_tree_cookie_t rootTree) {
    std::vector<xcb_window_t> level = children({rootTree});
    std::erase_if(level, [this](xcb_window_t w) { return IsOurs(c_, w); });
    for (int depth = 0; depth < kDepth && !level.empty(); ++depth) {
      if (depth > 0) level = children(askChildren(level));
      level = shown(level);
      for (const Look& look : ask(level)) reserve(look);
    }
    return bottom_;
  }
  // The windows that reserve space or call themselves docks, as last seen.
  const std::vector<xcb_window_t>& panels() const { return panels_; }

 private:
  struct Look {
    xcb_window_t window;
    xcb_get_property_cookie_t partial, strut, type;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t at;
  };

  std::vector<xcb_query_tree_cookie_t> askChildren(const std::vector<xcb_window_t>& parents) const {
    std::vector<xcb_query_tree_cookie_t> cookies;
    for (const xcb_window_t w : parents) cookies.push_back(xcb_query_tree(c_, w));
    return cookies;
  }

  std::vector<xcb_window_t> children(const std::vector<xcb_query_tree_cookie_t>& cookies) const {
    std::vector<xcb_window_t> out;
    for (const auto cookie : cookies) {
      const auto tree = Own(xcb_query_tree_reply(c_, cookie, nullptr));
      if (!tree) continue;
      const xcb_window_t* first = xcb_query_tree_children(tree.get());
      out.insert(out.end(), first, first + xcb_query_tree_children_length(tree.get()));
    }
    return out;
  }

  std::vector<xcb_window_t> shown(const std::vector<xcb_window_t>& windows) const {
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (const xcb_window_t w : windows) cookies.push_back(xcb_get_window_attributes(c_, w));
    std::vector<xcb_window_t> out;
    for (std::size_t i = 0; i < windows.size(); ++i) {
      const auto a = Own(xcb_get_window_attributes_reply(c_, cookies[i], nullptr));
      if (a && a->map_state == XCB_MAP_STATE_VIEWABLE) out.push_back(windows[i]);
    }
    return out;
  }

  std::vector<Look> ask(const std::vector<xcb_window_t>& windows) const {
    std::vector<Look> looks;
    for (const xcb_window_t w : windows) {
      looks.push_back({.window = w,
                       .partial = AskValues(c_, w, atoms_.partial),
                       .strut = AskValues(c_, w, atoms_.strut),
                       .type = AskValues(c_, w, atoms_.type),
                       .geometry = xcb_get_geometry(c_, w),
                       .at = xcb_translate_coordinates(c_, w, root_, 0, 0)});
    }
    return looks;
  }

  // Reads every answer of the look, so that none is left waiting.
  void reserve(const Look& look) {
    std::vector<std::uint32_t> strut =
        Values(Own(xcb_get_property_reply(c_, look.partial, nullptr)).get());
    const auto plain = Own(xcb_get_property_reply(c_, look.strut, nullptr));
    if (strut.size() < 4) strut = Values(plain.get());
    const std::vector<std::uint32_t> types =
        Values(Own(xcb_get_property_reply(c_, look.type, nullptr)).get());
    const auto g = Own(xcb_get_geometry_reply(c_, look.geometry, nullptr));
    const auto at = Own(xcb_translate_coordinates_reply(c_, look.at, nullptr));
    const bool dock = std::find(types.begin(), types.end(), atoms_.dock) != types.end();
    if (strut.size() >= 4 || dock) panels_.push_back(look.window);
    if (strut.size() >= 4 && strut[3] > 0 && strut[3] < static_cast<std::uint32_t>(height_)) {
      bottom_ = std::min(bottom_, height_ - static_cast<int>(strut[3]));
      return;
    }
    if (!dock || !g || !at) return;
    const bool alongBottom = at->dst_y + g->height >= height_ && g->height < height_ / 2;
    if (alongBottom) bottom_ = std::min(bottom_, static_cast<int>(at->dst_y));
  }

  // Interned once: the connection is Qt's, one for the program's life.
  struct Atoms {
    xcb_atom_t partial, strut, type, dock;
  };
  static const Atoms& atoms(xcb_connection_t* c) {
    static const Atoms a{.partial = Atom(c, "_NET_WM_STRUT_PARTIAL"),
                         .strut = Atom(c, "_NET_WM_STRUT"),
                         .type = Atom(c, "_NET_WM_WINDOW_TYPE"),
                         .dock = Atom(c, "_NET_WM_WINDOW_TYPE_DOCK")};
    return a;
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
  const Atoms& atoms_ = atoms(c_);
  int height_ = 0, bottom_ = 0;
  std::vector<xcb_window_t> panels_;
};

// What the last look at the screen found, kept until the X server reports
// a change that could move the work area's bottom: the root's work area,
// client list or window manager; and where the panels say where it ends,
// a window that is not ours mapped, unmapped, moved or gone at the root
// (heard while a window manager runs), or a panel's own move, unmapping or
// struts. The game asks at every step of a figure, and asking the X server
// each time would cost two round trips.
class WorkAreaWatch final : public QAbstractNativeEventFilter {
 public:
  static WorkAreaWatch& instance(xcb_connection_t* c) {
    static WorkAreaWatch watch(c);
    return watch;
  }

  // None while a manager publishes the work area: Qt's available geometry
  // is right then.
  std::optional<int> bottom(int available) {
    if (stale_ || available != available_) look(available);
    return bottom_;
  }

  // Who hears that a change was reported (`stale`), and that a look found
  // the bottom somewhere new (`moved`); Qt says nothing of either where no
  // work area is published.
  struct Listener {
    std::function<void()> stale, moved;
  };
  void listen(Listener listener) { listener_ = std::move(listener); }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t" || stale_) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
      case XCB_PROPERTY_NOTIFY: {
        const auto* e = static_cast<const xcb_property_notify_event_t*>(message);
        stale_ = e->window == root_ ? rootAtoms_.contains(e->atom)
                                    : panels_.contains(e->window) && panelAtoms_.contains(e->atom);
        break;
      }
      // These share their first fields: the window that heard the change
      // and the window that changed. Where the manager publishes the work
      // area, the windows' own changes cannot move it.
      case XCB_MAP_NOTIFY:
      case XCB_UNMAP_NOTIFY:
      case XCB_CONFIGURE_NOTIFY:
      case XCB_DESTROY_NOTIFY:
      case XCB_REPARENT_NOTIFY: {
        const auto* e = static_cast<const xcb_map_notify_event_t*>(message);
        stale_ = bottom_.has_value() &&
                 ((e->event == root_ && e->window != root_ && !IsOurs(c_, e->window)) ||
                  panels_.contains(e->window));
        break;
      }
      default:
        break;
    }
    if (stale_ && listener_.stale) listener_.stale();
    return false;
  }

 private:
  explicit WorkAreaWatch(xcb_connection_t* c) : c_(c), root_(Root(c)) {
    workArea_ = Atom(c, "_NET_WORKAREA");
    rootAtoms_ = {workArea_, Atom(c, "_NET_CLIENT_LIST"), Atom(c, "_NET_SUPPORTING_WM_CHECK")};
    panelAtoms_ = {Atom(c, "_NET_WM_STRUT_PARTIAL"), Atom(c, "_NET_WM_STRUT"),
                   Atom(c, "_NET_WM_WINDOW_TYPE")};
    qGuiApp->installNativeEventFilter(this);
  }

  void look(int available) {
    const std::optional<int> before = bottom_;
    const bool first = std::exchange(first_, false);
    measure(available);
    if (!first && bottom_ != before && listener_.moved) listener_.moved();
  }

  void measure(int available) {
    stale_ = false;
    available_ = available;
    // Both questions go out together: one wait for the X server where a
    // manager publishes the work area, and on a screen of our windows alone.
    const xcb_get_property_cookie_t published = AskValues(c_, root_, workArea_);
    const xcb_query_tree_cookie_t tree = xcb_query_tree(c_, root_);
    if (!Values(Own(xcb_get_property_reply(c_, published, nullptr)).get()).empty()) {
      xcb_discard_reply(c_, tree.sequence);
      bottom_ = std::nullopt;
      panels_.clear();
      return;
    }
    StrutScan scan(c_);
    bottom_ = scan.bottom(tree);
    // A panel's own changes are heard from now on (the root hears only
    // its children's, and only while a window manager runs).
    panels_ = {scan.panels().begin(), scan.panels().end()};
    constexpr std::uint32_t kMask =
        XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (const xcb_window_t w : panels_) {
      // A panel gone meanwhile is no error worth a word.
      xcb_discard_reply(
          c_, xcb_change_window_attributes_checked(c_, w, XCB_CW_EVENT_MASK, &kMask).sequence);
    }
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
  xcb_atom_t workArea_ = XCB_ATOM_NONE;
  std::set<xcb_atom_t> rootAtoms_, panelAtoms_;
  std::set<xcb_window_t> panels_;
  bool stale_ = true;
  bool first_ = true;
  int available_ = 0;
  std::optional<int> bottom_;
  Listener listener_;
};

// Looks again a little after a change is reported, so that a panel that
// comes, goes or moves docks the scene anew even while the game asks
// nothing; a burst of changes (a window dragged) brings one look.
class WorkAreaFollower final : public QObject {
 public:
  WorkAreaFollower(WorkAreaWatch& watch, std::function<void()> moved) : watch_(watch) {
    recheck_.setSingleShot(true);
    recheck_.setInterval(kRecheckMs);
    recheck_.callOnTimeout([] {
      if (const QScreen* screen = QGuiApplication::primaryScreen()) WorkAreaBottom(*screen);
    });
    const auto soon = [this] {
      if (!recheck_.isActive()) recheck_.start();
    };
    watch_.listen({.stale = soon, .moved = std::move(moved)});
  }
  ~WorkAreaFollower() override { watch_.listen({}); }

 private:
  static constexpr int kRecheckMs = 200;
  WorkAreaWatch& watch_;
  QTimer recheck_;
};

}  // namespace

int WorkAreaBottom(const QScreen& screen) {
  const int available = screen.availableGeometry().bottom() + 1;
  xcb_connection_t* c = Connection();
  if (c == nullptr) return available;
  const std::optional<int> bottom = WorkAreaWatch::instance(c).bottom(available);
  if (!bottom) return available;
  return std::min(available, static_cast<int>(*bottom / screen.devicePixelRatio()));
}

std::unique_ptr<QObject> WatchWorkArea(std::function<void()> moved) {
  xcb_connection_t* c = Connection();
  if (c == nullptr) return nullptr;
  return std::make_unique<WorkAreaFollower>(WorkAreaWatch::instance(c), std::move(moved));
}

}  // namespace kelvory::qt
