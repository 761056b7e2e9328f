#pragma once

#include <QFont>
#include <QString>

#include "platform/core/label_fit.h"

namespace kelvory::qt {

// A label's text in its font as Qt measures it; its own size is the font
// itself, so a label that needs no fitting is drawn exactly as set.
class QtLabelText final : public LabelText {
 public:
  QtLabelText(const QFont& font, const QString& text);

  int naturalSize() const { return natural_; }
  QFont at(int pixelSize) const;

  int wrappedHeight(int pixelSize, int width) const override;
  int lineWidth(int pixelSize) const override;
  int lineHeight(int pixelSize) const override;
  Ink ink(int pixelSize) const override;

 private:
  QFont font_;
  int natural_;
  QString text_;
};

}  // namespace kelvory::qt
