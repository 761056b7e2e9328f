#include "platform/qt/qt_label_text.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QRect>

namespace kelvory::qt {

QtLabelText::QtLabelText(const QFont& font, const QString& text)
    : font_(font), natural_(QFontInfo(font).pixelSize()), text_(text) {}

QFont QtLabelText::at(int pixelSize) const {
  QFont font = font_;
  if (pixelSize != natural_) font.setPixelSize(pixelSize);
  return font;
}

int QtLabelText::wrappedHeight(int pixelSize, int width) const {
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
  return QFontMetrics(at(pixelSize)).boundingRect(QRect(0, 0, width, 0), flags, text_).height();
}

int QtLabelText::lineWidth(int pixelSize) const {
  return QFontMetrics(at(pixelSize)).horizontalAdvance(text_);
}

int QtLabelText::lineHeight(int pixelSize) const { return QFontMetrics(at(pixelSize)).height(); }

Ink QtLabelText::ink(int pixelSize) const {
  const QFontMetrics metrics(at(pixelSize));
  const QRect ink = metrics.tightBoundingRect(text_);
  return {.top = metrics.ascent() + ink.top(), .bottom = metrics.ascent() + ink.bottom() + 1};
}

}  // namespace kelvory::qt
