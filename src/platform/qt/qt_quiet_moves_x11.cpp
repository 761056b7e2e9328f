#include <xcb/xcb.h>

#include <QWidget>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/qt/qt_quiet_moves.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {

// What a move or a rewrite of the size hints sends back to the window's own
// listeners.
constexpr std::uint32_t kEchoes = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;

void QuietMoves(QWidget& window) {
  xcb_connection_t* c = x11::Connection();
  if (c == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  const auto attributes =
      x11::Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
  if (!attributes) return;
  // Qt's own mask, less the echoes: input and exposures still come.
  const std::uint32_t mask = attributes->your_event_mask & ~kEchoes;
  xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &mask);
}

void TellMapped(QWidget& window, bool mapped) {
  xcb_connection_t* c = x11::Connection();
  if (c == nullptr || !window.testAttribute(Qt::WA_WState_Created)) return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  // Sent with no event mask, an event goes to the client that made the
  // window: to Qt, through the X server, after the map or unmap itself.
  std::array<char, 32> event{};  // the protocol's size of every event
  if (mapped) {
    const xcb_map_notify_event_t notify{
        .response_type = XCB_MAP_NOTIFY, .event = id, .window = id, .override_redirect = 1};
    std::memcpy(event.data(), &notify, sizeof notify);
  } else {
    const xcb_unmap_notify_event_t notify{
        .response_type = XCB_UNMAP_NOTIFY, .event = id, .window = id};
    std::memcpy(event.data(), &notify, sizeof notify);
  }
  xcb_send_event(c, 0, id, XCB_EVENT_MASK_NO_EVENT, event.data());
  xcb_flush(c);
}

bool PlaceQuietly(QWidget& window, const QRect& place, bool resized) {
  xcb_connection_t* c = x11::UnscaledConnection(window);
  if (c == nullptr) return false;
  // Coordinates go as 32-bit values; a negative one keeps its sign.
  const std::array<std::uint32_t, 4> values{
      static_cast<std::uint32_t>(place.x()), static_cast<std::uint32_t>(place.y()),
      static_cast<std::uint32_t>(place.width()), static_cast<std::uint32_t>(place.height())};
  const std::uint16_t fields = XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                               (resized ? XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT : 0);
  xcb_configure_window(c, static_cast<xcb_window_t>(window.winId()), fields, values.data());
  return true;
}

void SendRequests() {
  // Nothing is written when nothing waits.
  if (xcb_connection_t* c = x11::Connection()) xcb_flush(c);
}

}  // namespace kelvory::qt
