#pragma once

#include <wayland-client.h>
#include <wayland-cursor.h>

#include <cstdint>
#include <optional>

#include "platform/types.h"
#include "platform/wayland/wl_proxy.h"

namespace kelvory::wl {

// What a surface of ours does with the pointer and the keyboard. Positions
// are in the surface's own layout pixels.
class InputTarget {
 public:
  virtual ~InputTarget() = default;
  virtual void pointerMotion(double x, double y) = 0;
  virtual void pointerButton(MouseButton button, bool down) = 0;
  virtual void pointerLeave() {}
  // A key by its Linux input code (the same under every layout for the few
  // keys a dialog or a menu answers to).
  virtual void key(std::uint32_t code) { (void)code; }
};

// Marks a surface as ours, reporting to target; nullptr marks it gone.
void SetTarget(wl_surface* surface, InputTarget* target);

// The seat's pointer and keyboard, delivered to the surface under them.
class Seat {
 public:
  Seat(wl_seat* seat, wl_compositor* compositor, wl_shm* shm, int scale);
  ~Seat();
  Seat(const Seat&) = delete;
  Seat& operator=(const Seat&) = delete;

  // A surface that goes takes the pointer's and keyboard's focus with it.
  void forget(wl_surface* surface);
  // The last press, for a popup's grab: where and its serial.
  wl_surface* pressedOn() const { return pressedOn_; }
  double pressX() const { return pressX_; }
  double pressY() const { return pressY_; }
  std::uint32_t pressSerial() const { return pressSerial_; }
  wl_seat* seat() const { return seat_; }
  void setScale(int scale);
  // Every key goes to target while it is set (an open menu), whichever of
  // our surfaces has the keyboard.
  void grabKeys(InputTarget* target) { keyGrab_ = target; }

 private:
  static void Capabilities(void* data, wl_seat*, std::uint32_t caps);
  static void Name(void*, wl_seat*, const char*) {}
  static void Enter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface,
                    wl_fixed_t x, wl_fixed_t y);
  static void Leave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface);
  static void Motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y);
  static void Button(void* data, wl_pointer*, std::uint32_t serial, std::uint32_t,
                     std::uint32_t button, std::uint32_t state);
  static void KeyEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*);
  static void KeyLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface);
  static void Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                  std::uint32_t state);
  void showCursor(std::uint32_t serial);
  InputTarget* pointed() const;

  wl_seat* seat_;
  wl_compositor* compositor_;
  wl_shm* shm_;
  int scale_;
  Proxy<wl_pointer> pointer_;
  Proxy<wl_keyboard> keyboard_;
  Proxy<wl_surface> cursorSurface_;
  wl_cursor_theme* cursorTheme_ = nullptr;
  wl_surface* pointerFocus_ = nullptr;
  wl_surface* keyboardFocus_ = nullptr;
  InputTarget* keyGrab_ = nullptr;
  wl_surface* pressedOn_ = nullptr;
  double pointerX_ = 0, pointerY_ = 0;
  double pressX_ = 0, pressY_ = 0;
  std::uint32_t pressSerial_ = 0;
};

}  // namespace kelvory::wl
