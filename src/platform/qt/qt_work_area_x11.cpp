#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <optional>
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
    std::erase_if(level, [](xcb_window_t w) { return IsOurs(w); });
    for (int depth = 0; depth < kDepth && !level.empty(); ++depth) {
      if (depth > 0) level = children(askChildren(level));
      level = shown(level);
      for (const Look& look : ask(level)) reserve(look);
    }
    return bottom_;
  }

 private:
  struct Look {
    xcb_window_t window;
    xcb_get_property_cookie_t partial, strut, type;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t at;
  };

  static bool IsOurs(xcb_window_t window) {
    const QWindowList ours = QGuiApplication::topLevelWindows();
    return std::any_of(ours.begin(), ours.end(), [window](const QWindow* w) {
      return w->handle() != nullptr && static_cast<xcb_window_t>(w->winId()) == window;
    });
  }

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
    if (strut.size() >= 4 && strut[3] > 0 && strut[3] < static_cast<std::uint32_t>(height_)) {
      bottom_ = std::min(bottom_, height_ - static_cast<int>(strut[3]));
      return;
    }
    if (std::find(types.begin(), types.end(), atoms_.dock) == types.end() || !g || !at) return;
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
};

}  // namespace

int WorkAreaBottom(const QScreen& screen) {
  const int available = screen.availableGeometry().bottom() + 1;
  xcb_connection_t* c = Connection();
  if (c == nullptr) return available;
  // The game asks at every step of a figure; the X server is asked at most
  // once a second, and again as soon as Qt's work area changes (a manager
  // publishing one or taking it back).
  using Clock = std::chrono::steady_clock;
  static Clock::time_point lookedAt;
  static int lookedAvailable = 0;
  static std::optional<int> bottom;  // none while a manager publishes the work area
  if (lookedAt == Clock::time_point{} || available != lookedAvailable ||
      Clock::now() - lookedAt > std::chrono::seconds(1)) {
    lookedAt = Clock::now();
    lookedAvailable = available;
    static const xcb_atom_t workArea = Atom(c, "_NET_WORKAREA");
    // Both questions go out together: one wait for the X server where a
    // manager publishes the work area, and on a screen of our windows alone.
    const xcb_get_property_cookie_t published = AskValues(c, Root(c), workArea);
    const xcb_query_tree_cookie_t tree = xcb_query_tree(c, Root(c));
    if (Values(Own(xcb_get_property_reply(c, published, nullptr)).get()).empty()) {
      bottom = StrutScan(c).bottom(tree);
    } else {
      xcb_discard_reply(c, tree.sequence);
      bottom = std::nullopt;
    }
  }
  if (!bottom) return available;
  return std::min(available, static_cast<int>(*bottom / screen.devicePixelRatio()));
}

}  // namespace kelvory::qt
