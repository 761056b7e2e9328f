#include <xcb/xcb.h>

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/qt/qt_resources.h"
#include "platform/qt/qt_server_drawing.h"
#include "platform/qt/qt_x11.h"

namespace kelvory::qt {
namespace {

// Looks are uploaded in Qt's 32-bit layout with the alpha byte full: the
// server's own for a true-colour window of depth 24, or of depth 32 (the
// figures have alpha where a compositor runs).
bool QtsLayout(xcb_connection_t* c, xcb_visualid_t visual, std::uint8_t depth) {
  if (depth != 24 && depth != 32) return false;
  for (auto s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
    for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
      for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
        if (v.data->visual_id != visual) continue;
        return d.data->depth == depth && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
               v.data->red_mask == 0xFF0000 && v.data->green_mask == 0xFF00 &&
               v.data->blue_mask == 0xFF;
      }
    }
  }
  return false;
}

// The looks on the server, each uploaded once: the figures take turns with a
// few dozen pictures. A window keeps its background when its pixmap is freed.
class Backgrounds {
 public:
  xcb_pixmap_t of(xcb_connection_t* c, xcb_window_t window, std::uint8_t depth,
                  const FigureLook& look) {
    for (const Made& made : made_) {
      if (made.depth == depth && made.look == look) return made.pixmap;
    }
    if (made_.size() >= kKept) forget(c);
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    const auto width = static_cast<std::uint16_t>(look.size.width());
    const auto height = static_cast<std::uint16_t>(look.size.height());
    xcb_create_pixmap(c, depth, pixmap, window, width, height);
    xcb_gcontext_t& gc = depth == 32 ? gc32_ : gc24_;
    if (gc == 0) {
      gc = xcb_generate_id(c);
      xcb_create_gc(c, gc, pixmap, 0, nullptr);
    }
    upload(c, pixmap, gc, depth, Render(look));
    made_.push_back({look, depth, pixmap});
    return pixmap;
  }

 private:
  static constexpr std::size_t kKept = 64;

  struct Made {
    FigureLook look;
    std::uint8_t depth;
    xcb_pixmap_t pixmap;
  };

  static QImage Render(const FigureLook& look) {
    QImage image(look.size, QImage::Format_RGB32);
    image.fill(look.back);
    if (look.picture != nullptr) {
      QPainter painter(&image);
      DrawPicture(painter, *look.picture, look.scale, look.origin);
    }
    return image;
  }

  // In bands of rows that fit the server's largest request.
  static void upload(xcb_connection_t* c, xcb_pixmap_t pixmap, xcb_gcontext_t gc,
                     std::uint8_t depth, const QImage& image) {
    constexpr std::uint32_t kHeader = 24;
    const std::uint32_t limit = xcb_get_maximum_request_length(c) * 4;
    const auto stride = static_cast<std::uint32_t>(image.bytesPerLine());
    const int band = std::max(1, static_cast<int>((limit - kHeader) / stride));
    for (int y = 0; y < image.height(); y += band) {
      const int rows = std::min(band, image.height() - y);
      xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc,
                    static_cast<std::uint16_t>(image.width()), static_cast<std::uint16_t>(rows), 0,
                    static_cast<std::int16_t>(y), 0, depth,
                    stride * static_cast<std::uint32_t>(rows), image.constScanLine(y));
    }
  }

  void forget(xcb_connection_t* c) {
    for (const Made& made : made_) xcb_free_pixmap(c, made.pixmap);
    made_.clear();
  }

  std::vector<Made> made_;
  xcb_gcontext_t gc24_ = 0, gc32_ = 0;
};

Backgrounds& Kept() {
  static Backgrounds backgrounds;
  return backgrounds;
}

}  // namespace

bool ServerDrawing::show(const FigureLook& look) {
  xcb_connection_t* c = x11::UnscaledConnection(window_);
  if (c == nullptr || unable_ || look.size.isEmpty()) {
    stop();
    return false;
  }
  const auto id = static_cast<xcb_window_t>(window_.winId());
  if (!active_) {
    // Both questions in one wait, once a window.
    const xcb_get_window_attributes_cookie_t asked = xcb_get_window_attributes(c, id);
    const xcb_get_geometry_cookie_t measured = xcb_get_geometry(c, id);
    const auto attributes = x11::Own(xcb_get_window_attributes_reply(c, asked, nullptr));
    const auto geometry = x11::Own(xcb_get_geometry_reply(c, measured, nullptr));
    if (!attributes || !geometry || !QtsLayout(c, attributes->visual, geometry->depth)) {
      unable_ = true;
      return false;
    }
    depth_ = geometry->depth;
    heard_ = attributes->your_event_mask;
    const std::uint32_t deaf = heard_ & ~XCB_EVENT_MASK_EXPOSURE;
    xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &deaf);
    active_ = true;
  } else if (look == shown_) {
    return true;
  }
  shown_ = look;
  const std::uint32_t background = Kept().of(c, id, depth_, look);
  xcb_change_window_attributes(c, id, XCB_CW_BACK_PIXMAP, &background);
  // Repainted at once where it shows; sent with the step's other requests.
  xcb_clear_area(c, 0, id, 0, 0, 0, 0);
  return true;
}

void ServerDrawing::stop() {
  if (!active_) return;
  active_ = false;
  xcb_connection_t* c = x11::Connection();
  if (c == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window_.winId());
  const std::uint32_t none = XCB_BACK_PIXMAP_NONE;
  xcb_change_window_attributes(c, id, XCB_CW_BACK_PIXMAP, &none);
  xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &heard_);
}

}  // namespace kelvory::qt
