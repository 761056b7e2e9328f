#include "platform/wayland/wl_proxy.h"

namespace kelvory::wl {

void Destroy(wl_registry* proxy) { wl_registry_destroy(proxy); }
void Destroy(wl_compositor* proxy) { wl_compositor_destroy(proxy); }
void Destroy(wl_shm* proxy) { wl_shm_destroy(proxy); }
void Destroy(wl_seat* proxy) { wl_seat_destroy(proxy); }
void Destroy(wl_output* proxy) { wl_output_destroy(proxy); }
void Destroy(wl_pointer* proxy) { wl_pointer_destroy(proxy); }
void Destroy(wl_keyboard* proxy) { wl_keyboard_destroy(proxy); }
void Destroy(wl_surface* proxy) { wl_surface_destroy(proxy); }
void Destroy(wl_buffer* proxy) { wl_buffer_destroy(proxy); }
void Destroy(xdg_wm_base* proxy) { xdg_wm_base_destroy(proxy); }
void Destroy(xdg_surface* proxy) { xdg_surface_destroy(proxy); }
void Destroy(xdg_toplevel* proxy) { xdg_toplevel_destroy(proxy); }
void Destroy(xdg_popup* proxy) { xdg_popup_destroy(proxy); }

void Destroy(zwlr_layer_shell_v1* proxy) {
  // Older layer shells have no destroy request.
  if (zwlr_layer_shell_v1_get_version(proxy) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
    zwlr_layer_shell_v1_destroy(proxy);
  } else {
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(proxy));
  }
}

void Destroy(zwlr_layer_surface_v1* proxy) { zwlr_layer_surface_v1_destroy(proxy); }
void Destroy(zxdg_decoration_manager_v1* proxy) { zxdg_decoration_manager_v1_destroy(proxy); }
void Destroy(zxdg_toplevel_decoration_v1* proxy) { zxdg_toplevel_decoration_v1_destroy(proxy); }

}  // namespace kelvory::wl
