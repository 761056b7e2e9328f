#include <QScreen>
#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/qt/qt_work_area.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {
namespace {

using x11::Atom;
using x11::Connection;
using x11::Own;
using x11::Root;

std::vector<std::uint32_t> Values(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  const auto reply = Own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 16), nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

// Panels sit at most this deep: root, the manager's frame, a wrapper, the
// client.
constexpr int kDepth = 3;

class StrutScan {
 public:
  explicit StrutScan(xcb_connection_t* c)
      : c_(c),
        root_(Root(c)),
        partial_(Atom(c, "_NET_WM_STRUT_PARTIAL")),
        strut_(Atom(c, "_NET_WM_STRUT")),
        type_(Atom(c, "_NET_WM_WINDOW_TYPE")),
        dock_(Atom(c, "_NET_WM_WINDOW_TYPE_DOCK")) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    height_ = bottom_ = screen != nullptr ? screen->height_in_pixels : 0;
  }

  // The lowest top of what reserves the screen's bottom, in X pixels.
  int bottom() {
    visit(root_, 0);
    return bottom_;
  }

 private:
  void visit(xcb_window_t window, int depth) {
    const auto tree = Own(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
    if (!tree) return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
      const auto a = Own(
          xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, children[i]), nullptr));
      if (!a || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
      reserve(children[i]);
      if (depth + 1 < kDepth) visit(children[i], depth + 1);
    }
  }

  void reserve(xcb_window_t window) {
    std::vector<std::uint32_t> strut = Values(c_, window, partial_);
    if (strut.size() < 4) strut = Values(c_, window, strut_);
    if (strut.size() >= 4 && strut[3] > 0 && strut[3] < static_cast<std::uint32_t>(height_)) {
      bottom_ = std::min(bottom_, height_ - static_cast<int>(strut[3]));
      return;
    }
    const std::vector<std::uint32_t> types = Values(c_, window, type_);
    if (std::find(types.begin(), types.end(), dock_) == types.end()) return;
    const auto g = Own(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
    const auto at = Own(xcb_translate_coordinates_reply(
        c_, xcb_translate_coordinates(c_, window, root_, 0, 0), nullptr));
    if (!g || !at) return;
    const bool alongBottom = at->dst_y + g->height >= height_ && g->height < height_ / 2;
    if (alongBottom) bottom_ = std::min(bottom_, static_cast<int>(at->dst_y));
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
  xcb_atom_t partial_, strut_, type_, dock_;
  int height_ = 0, bottom_ = 0;
};

}  // namespace

int WorkAreaBottom(const QScreen& screen) {
  const int available = screen.availableGeometry().bottom() + 1;
  xcb_connection_t* c = Connection();
  if (c == nullptr || !Values(c, Root(c), Atom(c, "_NET_WORKAREA")).empty()) return available;
  // The game asks often; the panels are looked for at most once a second.
  using Clock = std::chrono::steady_clock;
  static Clock::time_point lookedAt;
  static int bottom = 0;
  if (lookedAt == Clock::time_point{} || Clock::now() - lookedAt > std::chrono::seconds(1)) {
    lookedAt = Clock::now();
    bottom = StrutScan(c).bottom();
  }
  return std::min(available, static_cast<int>(bottom / screen.devicePixelRatio()));
}

}  // namespace kelvory::qt
