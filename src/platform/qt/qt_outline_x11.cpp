#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QRegion>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/qt/qt_outline.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {

void SetOutline(QWidget& window, const QRegion& outline) {
  xcb_connection_t* c = x11::Connection();
  if (c == nullptr) {
    window.setMask(outline);
    return;
  }
  // The X server counts in device pixels; scale factors are whole numbers.
  const QWindow* handle = window.windowHandle();
  const double ratio = handle != nullptr ? handle->devicePixelRatio() : 1.0;
  const auto px = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
  std::vector<xcb_rectangle_t> rects;
  rects.reserve(static_cast<std::size_t>(outline.rectCount()));
  for (const QRect& r : outline) {
    rects.push_back({static_cast<std::int16_t>(px(r.x())), static_cast<std::int16_t>(px(r.y())),
                     static_cast<std::uint16_t>(px(r.width())),
                     static_cast<std::uint16_t>(px(r.height()))});
  }
  // Sent with the step's other requests when Qt next flushes its connection.
  xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED,
                       static_cast<xcb_window_t>(window.winId()), 0, 0,
                       static_cast<std::uint32_t>(rects.size()), rects.data());
}

}  // namespace kelvory::qt
