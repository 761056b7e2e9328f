#pragma once

#include <cairo.h>
#include <wayland-client.h>

#include <array>
#include <cstddef>
#include <memory>

#include "platform/wayland/wl_proxy.h"

namespace kelvory::wl {

// A picture the compositor reads from shared memory: premultiplied ARGB,
// painted with cairo. The compositor holds it from attach until release.
class ShmBuffer {
 public:
  // Nothing when memory for it cannot be had.
  static std::unique_ptr<ShmBuffer> Make(wl_shm* shm, int width, int height);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  bool busy() const { return busy_; }
  cairo_surface_t* canvas() const { return canvas_; }
  // Hands it to the compositor: busy until released.
  wl_buffer* attachable();

 private:
  ShmBuffer(int width, int height, void* pixels, std::size_t bytes);
  static void Release(void* data, wl_buffer*);

  int width_, height_;
  void* pixels_;
  std::size_t bytes_;
  bool busy_ = false;
  Proxy<wl_buffer> buffer_;
  cairo_surface_t* canvas_ = nullptr;
};

// Shows the buffer on the surface at the next commit: all of it changed,
// drawn at this scale.
void Present(wl_surface* surface, ShmBuffer& buffer, int scale);

// Two buffers a surface takes turns with: one may be on screen while the
// other is painted. Made afresh when the size changes.
class BufferPair {
 public:
  // A buffer of this size not held by the compositor; nothing when both
  // are held or no memory is left.
  ShmBuffer* next(wl_shm* shm, int width, int height);

 private:
  std::array<std::unique_ptr<ShmBuffer>, 2> buffers_;
};

}  // namespace kelvory::wl
