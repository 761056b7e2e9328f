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
  Connection& c = host_.connection();
  surface_.reset(wl_compositor_create_surface(c.compositor()));
  SetTarget(surface_.get(), this);
  xdg_.reset(xdg_wm_base_get_xdg_surface(c.shell(), surface_.get()));
  static constexpr xdg_surface_listener kSurface{
      .configure =
          [](void* data, xdg_surface* xdg, std::uint32_t serial) {
            xdg_surface_ack_configure(xdg, serial);
            auto& m = *static_cast<PopupMenu*>(data);
            m.configured_ = true;
            m.draw();
          },
  };
  xdg_surface_add_listener(xdg_.get(), &kSurface, this);

  xdg_positioner* positioner = xdg_wm_base_create_positioner(c.shell());
  xdg_positioner_set_size(positioner, width_, height_);
  // At the press, growing up and to the right; turned over or slid where
  // the output ends.
  xdg_positioner_set_anchor_rect(positioner, static_cast<std::int32_t>(seat->pressX()),
                                 static_cast<std::int32_t>(seat->pressY()), 1, 1);
  xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_TOP_LEFT);
  xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_TOP_RIGHT);
  xdg_positioner_set_constraint_adjustment(positioner,
                                           XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                               XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y |
                                               XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y);
  popup_.reset(xdg_surface_get_popup(xdg_.get(), nullptr, positioner));
  xdg_positioner_destroy(positioner);
  static constexpr xdg_popup_listener kPopup{
      .configure = [](void*, xdg_popup*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {},
      .popup_done = [](void* data, xdg_popup*) { static_cast<PopupMenu*>(data)->finished_ = true; },
  };
  xdg_popup_add_listener(popup_.get(), &kPopup, this);
  zwlr_layer_surface_v1_get_popup(parent.layerSurface(), popup_.get());
  xdg_popup_grab(popup_.get(), seat->seat(), seat->pressSerial());
  wl_surface_commit(surface_.get());
  seat->grabKeys(this);
}

PopupMenu::~PopupMenu() { dismiss(); }

void PopupMenu::dismiss() {
  finished_ = true;
  if (!surface_) return;
  if (Seat* seat = host_.seat()) {
    seat->grabKeys(nullptr);
    seat->forget(surface_.get());
  }
  parent_.takeKeys(false);
  popup_.reset();
  xdg_.reset();
  surface_.reset();
}

void PopupMenu::draw() {
  if (!configured_ || finished_) return;
  const int scale = host_.scale();
  ShmBuffer* buffer = buffers_.next(host_.connection().shm(), width_ * scale, height_ * scale);
  if (buffer == nullptr) return;
  cairo_t* cr = cairo_create(buffer->canvas());
  cairo_scale(cr, scale, scale);
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
  cairo_destroy(cr);
  Present(surface_.get(), *buffer, scale);
  wl_surface_commit(surface_.get());
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
