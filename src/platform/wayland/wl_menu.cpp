#include "platform/wayland/wl_menu.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>

namespace kelvory::wl {
namespace {

const Font kMenuFont{.face = "MS UI Gothic", .points = 9};
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 9;
constexpr int kTextLeft = 28;
constexpr int kTextRight = 24;
constexpr int kMinWidth = 120;
constexpr int kBorder = 1;
constexpr Rgb kFace{0xF2, 0xF2, 0xF2};
constexpr Rgb kEdge{0x97, 0x97, 0x97};
constexpr Rgb kHot{0x91, 0xC9, 0xF7};
constexpr Rgb kRule{0xD7, 0xD7, 0xD7};

}  // namespace

PopupMenu::PopupMenu(Host& host, WlWindow& parent, const std::vector<MenuItemDesc>& items)
    : host_(host), parent_(parent), items_(items) {
  int y = kBorder;
  for (const MenuEntry& e : MenuEntries(items_)) {
    const int h = e.separator ? kSeparatorHeight : kItemHeight;
    lines_.push_back({e, y, h});
    y += h;
    if (!e.separator) {
      const int text = static_cast<int>(std::ceil(host_.fonts().width(kMenuFont, e.caption)));
      width_ = std::max(width_, kTextLeft + text + kTextRight);
    }
  }
  width_ = std::max(width_, kMinWidth) + 2 * kBorder;
  height_ = y + kBorder;
  Seat* seat = host_.seat();
  if (lines_.empty() || seat == nullptr || parent.layerSurface() == nullptr) {
    finished_ = true;
    return;
  }

  // The panel takes the keyboard while its menu is open, before the grab
  // (which leaves the keyboard where it is): its keys go to the menu.
  parent_.takeKeys(true);
  // At the press, growing up and to the right; turned over or slid where
  // the output ends.
  popup_ = std::make_unique<PopupSurface>(
      host_, PopupSurface::Parent{.layer = parent.layerSurface()}, width_, height_,
      PopupSurface::Place{.x = static_cast<int>(seat->pressX()),
                          .y = static_cast<int>(seat->pressY()),
                          .anchor = XDG_POSITIONER_ANCHOR_TOP_LEFT,
                          .gravity = XDG_POSITIONER_GRAVITY_TOP_RIGHT,
                          .adjust = XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                    XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y |
                                    XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y},
      [this](cairo_t* cr) { paint(cr); }, [this] { finished_ = true; });
  SetTarget(popup_->surface(), this);
  xdg_popup_grab(popup_->popup(), seat->seat(), seat->pressSerial());
  popup_->start();
  seat->grabKeys(this);
}

PopupMenu::~PopupMenu() { dismiss(); }

void PopupMenu::dismiss() {
  finished_ = true;
  if (!popup_) return;
  if (Seat* seat = host_.seat()) seat->grabKeys(nullptr);
  parent_.takeKeys(false);
  popup_.reset();
}

void PopupMenu::paint(cairo_t* cr) const {
  PaintPopupFace(cr, width_, height_, kEdge, kFace);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (l.entry.separator) {
      SetColour(cr, kRule);
      cairo_rectangle(cr, kTextLeft, l.top + l.height / 2, width_ - kTextLeft - kBorder - 2, 1);
      cairo_fill(cr);
      continue;
    }
    if (static_cast<int>(i) == hot_) {
      SetColour(cr, kHot);
      cairo_rectangle(cr, kBorder + 2, l.top, width_ - 2 * kBorder - 4, l.height);
      cairo_fill(cr);
    }
    SetText(layout, host_.fonts(), kMenuFont, 0, l.entry.caption, 0);
    int th = 0;
    pango_layout_get_pixel_size(layout, nullptr, &th);
    SetColour(cr, kBlack);
    cairo_move_to(cr, kTextLeft, l.top + (l.height - th) / 2);
    pango_cairo_show_layout(cr, layout);
  }
  g_object_unref(layout);
}

void PopupMenu::draw() {
  if (popup_ && !finished_) popup_->redraw();
}

int PopupMenu::lineAt(double y) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (!l.entry.separator && y >= l.top && y < l.top + l.height) return static_cast<int>(i);
  }
  return -1;
}

void PopupMenu::choose(int line) {
  if (line < 0) return;
  chosen_ = ChosenItem(lines_[static_cast<std::size_t>(line)].entry.command);
  finished_ = true;
}

void PopupMenu::step(int direction) {
  const int n = static_cast<int>(lines_.size());
  int line = hot_;
  for (int i = 0; i < n; ++i) {
    line = line < 0 ? (direction > 0 ? 0 : n - 1) : (line + direction + n) % n;
    if (!lines_[static_cast<std::size_t>(line)].entry.separator) break;
  }
  hot_ = line;
  draw();
}

void PopupMenu::pointerMotion(double x, double y) {
  pointerY_ = y;
  const int line = lineAt(y);
  // The first report is where the pointer came in, not a move.
  if (entered_ && (x != enteredX_ || y != enteredY_)) moved_ = true;
  if (!entered_) {
    entered_ = true;
    enteredX_ = x;
    enteredY_ = y;
  }
  if (line == hot_) return;
  hot_ = line;
  draw();
}

void PopupMenu::pointerLeave() {
  if (hot_ < 0) return;
  hot_ = -1;
  draw();
}

// An item is chosen where a button is let go over it, once the pointer has
// moved in the menu or pressed there: the release of the press that opened
// it chooses nothing.
void PopupMenu::pointerButton(MouseButton, bool down) {
  if (down) {
    pressedIn_ = true;
    hot_ = lineAt(pointerY_);
  } else if (moved_ || pressedIn_) {
    choose(hot_);
  }
}

void PopupMenu::key(std::uint32_t code) {
  switch (code) {
    case KEY_UP:
      step(-1);
      break;
    case KEY_DOWN:
      step(1);
      break;
    case KEY_ENTER:
    case KEY_KPENTER:
    case KEY_SPACE:
      choose(hot_);
      break;
    case KEY_ESC:
      finished_ = true;
      break;
    default:
      break;
  }
}

}  // namespace kelvory::wl
