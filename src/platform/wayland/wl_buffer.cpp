#include "platform/wayland/wl_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace kelvory::wl {
namespace {

constexpr int kBytesPerPixel = 4;

// An anonymous file for the pixels, gone with its last mapping.
int SharedFile(std::size_t bytes) {
  const int fd = memfd_create("kelvory-buffer", MFD_CLOEXEC);
  if (fd < 0) return -1;
  int rc;
  do {
    rc = ftruncate(fd, static_cast<off_t>(bytes));
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::Make(wl_shm* shm, int width, int height) {
  if (shm == nullptr || width <= 0 || height <= 0) return nullptr;
  const int stride = width * kBytesPerPixel;
  const auto bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  const int fd = SharedFile(bytes);
  if (fd < 0) return nullptr;
  void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  std::unique_ptr<ShmBuffer> b(new ShmBuffer(width, height, pixels, bytes));
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
  b->buffer_.reset(
      wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_ARGB8888));
  wl_shm_pool_destroy(pool);
  close(fd);
  static constexpr wl_buffer_listener kListener{.release = Release};
  wl_buffer_add_listener(b->buffer_.get(), &kListener, b.get());
  b->canvas_ = cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels),
                                                   CAIRO_FORMAT_ARGB32, width, height, stride);
  return b;
}

ShmBuffer::ShmBuffer(int width, int height, void* pixels, std::size_t bytes)
    : width_(width), height_(height), pixels_(pixels), bytes_(bytes) {}

ShmBuffer::~ShmBuffer() {
  if (canvas_ != nullptr) cairo_surface_destroy(canvas_);
  buffer_.reset();
  munmap(pixels_, bytes_);
}

wl_buffer* ShmBuffer::attachable() {
  cairo_surface_flush(canvas_);
  busy_ = true;
  return buffer_.get();
}

void ShmBuffer::Release(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy_ = false; }

void Present(wl_surface* surface, ShmBuffer& buffer, int scale) {
  wl_surface_set_buffer_scale(surface, scale);
  wl_surface_attach(surface, buffer.attachable(), 0, 0);
  wl_surface_damage_buffer(surface, 0, 0, buffer.width(), buffer.height());
}

ShmBuffer* BufferPair::next(wl_shm* shm, int width, int height) {
  for (auto& b : buffers_) {
    if (b && (b->width() != width || b->height() != height) && !b->busy()) b.reset();
  }
  for (auto& b : buffers_) {
    if (b && !b->busy()) return b.get();
  }
  for (auto& b : buffers_) {
    if (!b) {
      b = ShmBuffer::Make(shm, width, height);
      return b.get();
    }
  }
  return nullptr;
}

}  // namespace kelvory::wl
