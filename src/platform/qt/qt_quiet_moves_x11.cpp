#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QRect>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <map>

#include "platform/qt/qt_quiet_moves.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {
namespace {

// Qt's geometry of the window in the X server's pixels: whole scale
// factors only, so a plain product (anything else simply never matches).
QRect NativeGeometry(const QWindow& window) {
  const QRect g = window.geometry();
  const double ratio = window.devicePixelRatio();
  const auto px = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
  return {px(g.x()), px(g.y()), px(g.width()), px(g.height())};
}

// Drops, among the X events Qt reads, what only confirms the figures' own
// moves: the ConfigureNotify that Qt would answer with round trips, and the
// size hints Qt rewrites with every move, which it ignores when they come back.
class MoveFilter final : public QAbstractNativeEventFilter {
 public:
  static MoveFilter& instance() {
    static MoveFilter filter;
    return filter;
  }
  std::map<xcb_window_t, const QWidget*> windows;

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
      case XCB_CONFIGURE_NOTIFY:
        return confirmsQt(*static_cast<const xcb_configure_notify_event_t*>(message));
      case XCB_PROPERTY_NOTIFY: {
        const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
        return property->atom == XCB_ATOM_WM_NORMAL_HINTS && windows.contains(property->window);
      }
      default:
        return false;
    }
  }

 private:
  MoveFilter() {
    if (qGuiApp) qGuiApp->installNativeEventFilter(this);
  }

  bool confirmsQt(const xcb_configure_notify_event_t& configure) const {
    const auto it = windows.find(configure.window);
    if (configure.event != configure.window || it == windows.end()) return false;
    const QWindow* handle = it->second->windowHandle();
    return handle != nullptr && NativeGeometry(*handle) == QRect(configure.x, configure.y,
                                                                 configure.width, configure.height);
  }
};

}  // namespace

void QuietMoves(QWidget& window) {
  if (x11::Connection() == nullptr) return;
  MoveFilter::instance().windows[static_cast<xcb_window_t>(window.winId())] = &window;
}

void ForgetQuietMoves(QWidget& window) {
  if (x11::Connection() == nullptr || !window.testAttribute(Qt::WA_WState_Created)) return;
  MoveFilter::instance().windows.erase(static_cast<xcb_window_t>(window.winId()));
}

}  // namespace kelvory::qt
