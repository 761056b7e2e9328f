#pragma once

#include <wayland-client.h>

#include <memory>

#include "platform/wayland/protocols.h"

namespace kelvory::wl {

// Each Wayland object of ours goes by the request its protocol gives it.
void Destroy(wl_registry* proxy);
void Destroy(wl_compositor* proxy);
void Destroy(wl_shm* proxy);
void Destroy(wl_seat* proxy);
void Destroy(wl_output* proxy);
void Destroy(wl_pointer* proxy);
void Destroy(wl_keyboard* proxy);
void Destroy(wl_surface* proxy);
void Destroy(wl_buffer* proxy);
void Destroy(xdg_wm_base* proxy);
void Destroy(xdg_surface* proxy);
void Destroy(xdg_toplevel* proxy);
void Destroy(xdg_popup* proxy);
void Destroy(zwlr_layer_shell_v1* proxy);
void Destroy(zwlr_layer_surface_v1* proxy);
void Destroy(zxdg_decoration_manager_v1* proxy);
void Destroy(zxdg_toplevel_decoration_v1* proxy);

struct ProxyDeleter {
  template <class T>
  void operator()(T* proxy) const {
    if (proxy != nullptr) Destroy(proxy);
  }
};

// A Wayland object of ours, destroyed with its owner.
template <class T>
using Proxy = std::unique_ptr<T, ProxyDeleter>;

}  // namespace kelvory::wl
