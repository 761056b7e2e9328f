#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <cstdint>

class QImage;
class QWidget;

namespace kelvory::qt {

// All a plain figure shows: one colour and, over it, one picture at a whole
// scale from `origin` (the figure's box in the window, off its top left where
// the window is cut at the screen's edge); `size` reaches from the window's
// corner to the box's far corner, so it covers the window.
struct FigureLook {
  const QImage* picture = nullptr;
  QRgb back = 0;
  int scale = 1;
  QPoint origin;
  QSize size;
  bool operator==(const FigureLook&) const = default;
};

// A figure of one colour and one picture needs no painting of the program's
// own. On X11 the server keeps the look as the window's background and paints
// it wherever the figure shows (mapped, uncovered, its outline grown), and the
// window no longer hears its exposures: a new picture is two small requests,
// with no painting in Qt, no image sent and no round trip through Qt's X
// thread. Where the server cannot (off X11, a scaled or not true-colour
// screen; qt_server_drawing_none.cpp), show() does nothing and returns false,
// and Qt draws as before.
class ServerDrawing {
 public:
  explicit ServerDrawing(QWidget& window) : window_(window) {}
  ServerDrawing(const ServerDrawing&) = delete;
  ServerDrawing& operator=(const ServerDrawing&) = delete;

  bool show(const FigureLook& look);
  // Qt draws the window again, and hears its exposures.
  void stop();
  bool active() const { return active_; }

 private:
  QWidget& window_;
  bool active_ = false;
  FigureLook shown_;
  std::uint32_t heard_ = 0;  // the window's events before exposures were left out
  std::uint8_t depth_ = 0;
  bool unable_ = false;  // the window's pixels are not in a layout uploaded here
};

}  // namespace kelvory::qt
