#include "platform/win32/win32_label_text.h"

#include <cstdlib>

namespace kelvory::win32 {

GdiLabelText::GdiLabelText(HDC dc, HFONT font, const std::wstring& text)
    : dc_(dc), font_(font), text_(text) {
  LOGFONTW shape{};
  GetObjectW(font, sizeof shape, &shape);
  natural_ = std::abs(shape.lfHeight);
}

HFONT GdiLabelText::at(int pixelSize) const {
  HFONT font = font_;
  if (pixelSize != natural_) {
    auto it = sized_.find(pixelSize);
    if (it == sized_.end()) {
      LOGFONTW shape{};
      GetObjectW(font_, sizeof shape, &shape);
      shape.lfHeight = -pixelSize;
      it = sized_.emplace(pixelSize, FontHandle(CreateFontIndirectW(&shape))).first;
    }
    if (it->second) font = it->second.get();
  }
  SelectObject(dc_, font);
  return font;
}

int GdiLabelText::wrappedHeight(int pixelSize, int width) const {
  at(pixelSize);
  RECT r{0, 0, width, 0};
  DrawTextW(dc_, text_.c_str(), length(), &r,
            DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK | DT_CALCRECT);
  return r.bottom - r.top;
}

int GdiLabelText::lineWidth(int pixelSize) const {
  at(pixelSize);
  SIZE extent{};
  GetTextExtentPoint32W(dc_, text_.c_str(), length(), &extent);
  return extent.cx;
}

int GdiLabelText::lineHeight(int pixelSize) const { return metrics(pixelSize).tmHeight; }

Ink GdiLabelText::ink(int pixelSize) const {
  const TEXTMETRICW m = metrics(pixelSize);
  return {.top = m.tmInternalLeading, .bottom = m.tmHeight};
}

TEXTMETRICW GdiLabelText::metrics(int pixelSize) const {
  at(pixelSize);
  TEXTMETRICW m{};
  GetTextMetricsW(dc_, &m);
  return m;
}

}  // namespace kelvory::win32
