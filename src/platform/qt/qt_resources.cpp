#include "platform/qt/qt_resources.h"

#include <QColor>
#include <QFontDatabase>
#include <QPainter>
#include <QString>

#include "platform/core/font_choice.h"

namespace kelvory::qt {
namespace {

bool Installed(std::string_view family) {
  static const QStringList families = QFontDatabase::families();
  return families.contains(ToQString(family), Qt::CaseInsensitive);
}

}  // namespace

void DrawPicture(QPainter& painter, const QImage& image, int scale, QPoint origin) {
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect(origin, image.size() * scale), image);
}

QColor ToColor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect Resources::toPx(const Twips& box) const {
  const PixelRect r = grid_.box(box);
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

FrameExtents Resources::dialogExtents() const {
  return {.left = dialogFrame_.left(),
          .top = dialogFrame_.top(),
          .right = dialogFrame_.right(),
          .bottom = dialogFrame_.bottom()};
}

const QFont& Resources::font(const Font& font) const {
  const auto key = std::make_tuple(font.face, font.points, font.bold, font.serif);
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  const std::string face = ChosenFace(font, Installed);
  QFont qfont(face.empty() ? QString(font.serif ? "serif" : "sans-serif") : ToQString(face));
  qfont.setStyleHint(font.serif ? QFont::Serif : QFont::SansSerif);
  qfont.setPointSizeF(ChosenPoints(font));
  qfont.setBold(font.bold);
  return fonts_.emplace(key, qfont).first->second;
}

const QImage* Resources::image(const Bitmap* bitmap) const {
  if (bitmap == nullptr || bitmap->width <= 0 || bitmap->height <= 0) return nullptr;
  if (const auto it = images_.find(bitmap); it != images_.end()) return &it->second;
  QImage image(bitmap->width, bitmap->height, QImage::Format_RGB32);
  for (int y = 0; y < bitmap->height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < bitmap->width; ++x) row[x] = 0xFF000000u | (bitmap->at(x, y) & 0xFFFFFFu);
  }
  return &images_.emplace(bitmap, std::move(image)).first->second;
}

}  // namespace kelvory::qt
