#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/core/label_fit.h"
#include "platform/win32/win32_handles.h"

namespace kelvory::win32 {

// A label's text as GDI measures it on a DC; its own size is the label's
// font itself, other sizes are made once each and live as long as this.
class GdiLabelText final : public LabelText {
 public:
  GdiLabelText(HDC dc, HFONT font, const std::wstring& text);

  int naturalSize() const { return natural_; }
  // The font at that size, selected into the DC.
  HFONT at(int pixelSize) const;

  int wrappedHeight(int pixelSize, int width) const override;
  int lineWidth(int pixelSize) const override;
  int lineHeight(int pixelSize) const override;
  // GDI tells no ink box: the cell less its internal leading stands for it.
  Ink ink(int pixelSize) const override;

 private:
  TEXTMETRICW metrics(int pixelSize) const;
  int length() const { return static_cast<int>(text_.size()); }

  HDC dc_;
  HFONT font_;
  const std::wstring& text_;
  int natural_ = 0;
  mutable std::map<int, FontHandle> sized_;
};

}  // namespace kelvory::win32
