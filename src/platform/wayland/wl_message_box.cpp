#include "platform/wayland/wl_message_box.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/core/message_box.h"

namespace kelvory::wl {
namespace {

const Font kBoxFont{.face = "MS UI Gothic", .points = 9};
constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kMaxTextWidth = 420;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;
constexpr int kFooter = kButtonHeight + 2 * 12;
constexpr Rgb kFace{0xFF, 0xFF, 0xFF};
constexpr Rgb kFooterFace{0xF0, 0xF0, 0xF0};

// A round sign for the box's icon: its colour and its mark.
struct Sign {
  Rgb colour;
  std::string_view mark;
};
constexpr BoxIcons<Sign> kSigns{.none = {},
                                .question = {{0x1F, 0x5F, 0xBF}, "?"},
                                .warning = {{0xE0, 0xA0, 0x00}, "!"},
                                .error = {{0xC8, 0x20, 0x20}, "\xC3\x97"}};

double Twip(const PixelGrid& grid, int px) { return static_cast<double>(px) * grid.twipsPerPixel; }

}  // namespace

MessageBox::MessageBox(Host& host, std::string_view text, MsgButtons buttons, MsgIcon icon)
    : buttons_(buttons) {
  const PixelGrid& grid = host.grid();
  const Sign sign = BoxIcon(icon, kSigns);
  const bool signed_ = !sign.mark.empty();
  const int textLeft = kMargin + (signed_ ? kIconSize + kMargin : 0);
  const int oneLine = static_cast<int>(std::ceil(host.fonts().width(kBoxFont, text)));
  const int textWidth = std::min(oneLine + 1, kMaxTextWidth);
  const int textHeight = PangoLabelText(host.fonts(), kBoxFont, text)
                             .wrappedHeight(Fonts::PixelSize(kBoxFont), textWidth);
  const bool yesNo = buttons == MsgButtons::YesNo;
  const int buttonCount = yesNo ? 2 : 1;
  const int buttonsWidth = buttonCount * kButtonWidth + (buttonCount - 1) * kButtonGap;
  const int width = std::max(textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin);
  const int body = std::max(textHeight, signed_ ? kIconSize : 0) + 2 * kMargin;
  const int height = body + kFooter;

  window_ = std::make_unique<WlWindow>(
      host, 0,
      WindowDesc{.name = "MessageBox",
                 .frame = Frame::Dialog,
                 .caption = std::string(kMessageBoxCaption),
                 .back = kFace,
                 .geometry = {0, 0, Twip(grid, width), Twip(grid, height)}},
      static_cast<InputSink&>(*this));
  window_->deliverAtOnce();
  window_->onKey([this](std::uint32_t code) {
    if (code == KEY_ENTER || code == KEY_KPENTER || code == KEY_SPACE) give(true);
    if (code == KEY_ESC) give(false);
  });
  window_->addControl({.kind = ControlKind::Label,
                       .box = {0, Twip(grid, body), Twip(grid, width), Twip(grid, kFooter)},
                       .back = kFooterFace,
                       .transparent = false});
  if (signed_) {
    window_->addControl({.kind = ControlKind::Label,
                         .box = {Twip(grid, kMargin), Twip(grid, kMargin), Twip(grid, kIconSize),
                                 Twip(grid, kIconSize)},
                         .text = std::string(sign.mark),
                         .font = {.face = "MS UI Gothic", .points = 18, .bold = true},
                         .back = sign.colour,
                         .transparent = false,
                         .fore = kWhite});
  }
  window_->addControl({.kind = ControlKind::Label,
                       .box = {Twip(grid, textLeft), Twip(grid, kMargin), Twip(grid, textWidth),
                               Twip(grid, textHeight)},
                       .text = std::string(text),
                       .font = kBoxFont});
  int x = width - kMargin - buttonsWidth;
  const int y = body + (kFooter - kButtonHeight) / 2;
  const auto button = [&](const char* caption) {
    const ControlId id = window_->addControl(
        {.kind = ControlKind::Button,
         .box = {Twip(grid, x), Twip(grid, y), Twip(grid, kButtonWidth), Twip(grid, kButtonHeight)},
         .text = caption,
         .font = kBoxFont});
    x += kButtonWidth + kButtonGap;
    return id;
  };
  yes_ = button(yesNo ? "はい(Y)" : "OK");
  if (yesNo) button("いいえ(N)");
  window_->setWanted(true, true);
}

void MessageBox::clicked(WindowId, ControlId control) { give(control == yes_); }

void MessageBox::give(bool yes) {
  if (answered_) return;
  answered_ = true;
  answer_ = BoxAnswer(buttons_, yes);
  window_->retire();
}

}  // namespace kelvory::wl
