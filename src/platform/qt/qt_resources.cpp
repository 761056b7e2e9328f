#include "platform/qt/qt_resources.h"

#include <QColor>
#include <QFontDatabase>
#include <QString>
#include <algorithm>
#include <cmath>

namespace kelvory::qt {
namespace {

// The game asks for faces of another platform; these ship with
// fonts-ipafont-gothic and cover the same characters.
constexpr const char* kGothic = "IPAGothic";
constexpr const char* kProportionalGothic = "IPAPGothic";
constexpr const char* kMincho = "IPAMincho";
constexpr const char* kProportionalMincho = "IPAPMincho";

bool Installed(const QString& family) {
  static const QStringList families = QFontDatabase::families();
  return families.contains(family, Qt::CaseInsensitive);
}

QString FallbackFamily(const Font& font) {
  const QString face = ToQString(font.face);
  // A full-width or plain "P" marks the proportional member of a family.
  const bool proportional = face.contains(QChar(0xFF30)) || face.contains(QStringLiteral(" P"));
  if (font.serif) {
    const QString mincho = proportional ? kProportionalMincho : kMincho;
    if (Installed(mincho)) return mincho;
    return QStringLiteral("serif");
  }
  return proportional ? kProportionalGothic : kGothic;
}

}  // namespace

QColor ToColor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void Resources::setLogicalDpi(double logicalDpi) {
  if (!(logicalDpi > 0)) logicalDpi = 96;
  twipsPerPixel_ = std::max(1, static_cast<int>(std::lround(1440.0 / logicalDpi)));
  pictureScale_ = std::max(1, static_cast<int>(std::lround(15.0 / twipsPerPixel_)));
}

int Resources::px(double twips) const {
  // Halves go to the even neighbour (the default rounding mode).
  return static_cast<int>(std::nearbyint(twips / twipsPerPixel_));
}

QRect Resources::toPx(const Twips& box) const {
  const int left = px(box.left);
  const int top = px(box.top);
  return QRect(left, top, px(box.left + box.width) - left, px(box.top + box.height) - top);
}

const QFont& Resources::font(const Font& font) const {
  const auto key = std::make_tuple(font.face, font.points, font.bold, font.serif);
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  const QString face = ToQString(font.face);
  QFont qfont(Installed(face) ? face : FallbackFamily(font));
  qfont.setStyleHint(font.serif ? QFont::Serif : QFont::SansSerif);
  qfont.setPointSizeF(font.points > 0 ? font.points : 9);
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
