#include "platform/wayland/wl_seat.h"

#include <linux/input-event-codes.h>
#include <unistd.h>

namespace kelvory::wl {
namespace {

constexpr int kCursorSize = 24;

std::optional<MouseButton> GameButton(std::uint32_t button) {
  switch (button) {
    case BTN_LEFT:
      return MouseButton::Left;
    case BTN_RIGHT:
      return MouseButton::Right;
    case BTN_MIDDLE:
      return MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

InputTarget* TargetOf(wl_surface* surface) {
  return surface == nullptr ? nullptr
                            : static_cast<InputTarget*>(wl_surface_get_user_data(surface));
}

void Axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void Frame(void*, wl_pointer*) {}
void AxisSource(void*, wl_pointer*, std::uint32_t) {}
void AxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void AxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void Keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
void Modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
               std::uint32_t) {}
void RepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

}  // namespace

void SetTarget(wl_surface* surface, InputTarget* target) {
  wl_surface_set_user_data(surface, target);
}

Seat::Seat(wl_seat* seat, wl_compositor* compositor, wl_shm* shm, int scale)
    : seat_(seat), compositor_(compositor), shm_(shm), scale_(scale) {
  static constexpr wl_seat_listener kListener{.capabilities = Capabilities, .name = Name};
  wl_seat_add_listener(seat_, &kListener, this);
  cursorSurface_.reset(wl_compositor_create_surface(compositor_));
  setScale(scale);
}

Seat::~Seat() {
  if (cursorTheme_ != nullptr) wl_cursor_theme_destroy(cursorTheme_);
}

void Seat::setScale(int scale) {
  scale_ = scale;
  if (cursorTheme_ != nullptr) wl_cursor_theme_destroy(cursorTheme_);
  cursorTheme_ = wl_cursor_theme_load(nullptr, kCursorSize * scale_, shm_);
}

void Seat::Capabilities(void* data, wl_seat*, std::uint32_t caps) {
  auto& s = *static_cast<Seat*>(data);
  const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
  const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  if (pointer && !s.pointer_) {
    static constexpr wl_pointer_listener kPointer{.enter = Enter,
                                                  .leave = Leave,
                                                  .motion = Motion,
                                                  .button = Button,
                                                  .axis = Axis,
                                                  .frame = Frame,
                                                  .axis_source = AxisSource,
                                                  .axis_stop = AxisStop,
                                                  .axis_discrete = AxisDiscrete};
    s.pointer_.reset(wl_seat_get_pointer(s.seat_));
    wl_pointer_add_listener(s.pointer_.get(), &kPointer, &s);
  } else if (!pointer && s.pointer_) {
    s.pointer_.reset();
    s.pointerFocus_ = nullptr;
  }
  if (keyboard && !s.keyboard_) {
    static constexpr wl_keyboard_listener kKeyboard{.keymap = Keymap,
                                                    .enter = KeyEnter,
                                                    .leave = KeyLeave,
                                                    .key = Key,
                                                    .modifiers = Modifiers,
                                                    .repeat_info = RepeatInfo};
    s.keyboard_.reset(wl_seat_get_keyboard(s.seat_));
    wl_keyboard_add_listener(s.keyboard_.get(), &kKeyboard, &s);
  } else if (!keyboard && s.keyboard_) {
    s.keyboard_.reset();
    s.keyboardFocus_ = nullptr;
  }
}

void Seat::forget(wl_surface* surface) {
  if (pointerFocus_ == surface) pointerFocus_ = nullptr;
  if (keyboardFocus_ == surface) keyboardFocus_ = nullptr;
  if (pressedOn_ == surface) pressedOn_ = nullptr;
}

InputTarget* Seat::pointed() const { return TargetOf(pointerFocus_); }

void Seat::showCursor(std::uint32_t serial) {
  if (cursorTheme_ == nullptr || !pointer_) return;
  wl_cursor* cursor = wl_cursor_theme_get_cursor(cursorTheme_, "left_ptr");
  if (cursor == nullptr) cursor = wl_cursor_theme_get_cursor(cursorTheme_, "default");
  if (cursor == nullptr || cursor->image_count == 0) return;
  wl_cursor_image* image = cursor->images[0];
  wl_buffer* buffer = wl_cursor_image_get_buffer(image);
  if (buffer == nullptr) return;
  wl_pointer_set_cursor(pointer_.get(), serial, cursorSurface_.get(),
                        static_cast<std::int32_t>(image->hotspot_x) / scale_,
                        static_cast<std::int32_t>(image->hotspot_y) / scale_);
  wl_surface_set_buffer_scale(cursorSurface_.get(), scale_);
  wl_surface_attach(cursorSurface_.get(), buffer, 0, 0);
  wl_surface_damage_buffer(cursorSurface_.get(), 0, 0, INT32_MAX, INT32_MAX);
  wl_surface_commit(cursorSurface_.get());
}

void Seat::Enter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                 wl_fixed_t y) {
  auto& s = *static_cast<Seat*>(data);
  // Only our own surfaces; a surface of ours that went is nullptr here.
  s.pointerFocus_ = TargetOf(surface) != nullptr ? surface : nullptr;
  s.pointerX_ = wl_fixed_to_double(x);
  s.pointerY_ = wl_fixed_to_double(y);
  s.showCursor(serial);
  if (InputTarget* t = s.pointed()) t->pointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void Seat::Leave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface) {
  auto& s = *static_cast<Seat*>(data);
  if (InputTarget* t = s.pointed(); t != nullptr && surface == s.pointerFocus_) t->pointerLeave();
  s.pointerFocus_ = nullptr;
}

void Seat::Motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto& s = *static_cast<Seat*>(data);
  s.pointerX_ = wl_fixed_to_double(x);
  s.pointerY_ = wl_fixed_to_double(y);
  if (InputTarget* t = s.pointed()) t->pointerMotion(s.pointerX_, s.pointerY_);
}

void Seat::Button(void* data, wl_pointer*, std::uint32_t serial, std::uint32_t,
                  std::uint32_t button, std::uint32_t state) {
  auto& s = *static_cast<Seat*>(data);
  const bool down = state == WL_POINTER_BUTTON_STATE_PRESSED;
  if (down) {
    s.pressedOn_ = s.pointerFocus_;
    s.pressSerial_ = serial;
    s.pressX_ = s.pointerX_;
    s.pressY_ = s.pointerY_;
  }
  const auto game = GameButton(button);
  if (!game) return;
  if (InputTarget* t = s.pointed()) t->pointerButton(*game, down);
}

void Seat::KeyEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
  auto& s = *static_cast<Seat*>(data);
  s.keyboardFocus_ = TargetOf(surface) != nullptr ? surface : nullptr;
}

void Seat::KeyLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
  auto& s = *static_cast<Seat*>(data);
  if (surface == s.keyboardFocus_) s.keyboardFocus_ = nullptr;
}

void Seat::Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
               std::uint32_t state) {
  auto& s = *static_cast<Seat*>(data);
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
  if (s.keyGrab_ != nullptr) {
    s.keyGrab_->key(key);
  } else if (InputTarget* t = TargetOf(s.keyboardFocus_)) {
    t->key(key);
  }
}

}  // namespace kelvory::wl
