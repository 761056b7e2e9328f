#include "platform/wayland/wl_connection.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kelvory::wl {
namespace {

// The versions written against; a compositor may offer less.
constexpr std::uint32_t kCompositorVersion = 4;
constexpr std::uint32_t kSeatVersion = 5;
constexpr std::uint32_t kOutputVersion = 2;
constexpr std::uint32_t kShellVersion = 2;
constexpr std::uint32_t kLayerShellVersion = 4;

template <class T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
        std::uint32_t offered, std::uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void Ping(void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }
constexpr xdg_wm_base_listener kShellListener{.ping = Ping};

void Geometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
              std::int32_t, const char*, const char*, std::int32_t) {}
void Mode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace

std::unique_ptr<Connection> Connection::Open() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  std::unique_ptr<Connection> connection(new Connection(display));
  // Globals first, then what binding them sent (the outputs' scales).
  if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) return nullptr;
  return connection;
}

Connection::Connection(wl_display* display)
    : display_(display), registry_(wl_display_get_registry(display)) {
  static constexpr wl_registry_listener kListener{.global = Global, .global_remove = GlobalRemove};
  wl_registry_add_listener(registry_.get(), &kListener, this);
}

Connection::~Connection() {
  outputs_.clear();
  decorations_.reset();
  layers_.reset();
  shell_.reset();
  seat_.reset();
  shm_.reset();
  compositor_.reset();
  registry_.reset();
  wl_display_disconnect(display_);
}

void Connection::Global(void* data, wl_registry* registry, std::uint32_t name,
                        const char* interface, std::uint32_t version) {
  auto& c = *static_cast<Connection*>(data);
  const std::string_view is(interface);
  if (is == wl_compositor_interface.name) {
    c.compositor_.reset(
        Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, kCompositorVersion));
  } else if (is == wl_shm_interface.name) {
    c.shm_.reset(Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1));
  } else if (is == wl_seat_interface.name && c.seatName_ == 0) {
    c.seatName_ = name;
    c.seatVersion_ = version;
  } else if (is == xdg_wm_base_interface.name) {
    c.shell_.reset(
        Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, kShellVersion));
    xdg_wm_base_add_listener(c.shell_.get(), &kShellListener, nullptr);
  } else if (is == zwlr_layer_shell_v1_interface.name) {
    c.layers_.reset(Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface,
                                              version, kLayerShellVersion));
  } else if (is == zxdg_decoration_manager_v1_interface.name) {
    c.decorations_.reset(Bind<zxdg_decoration_manager_v1>(
        registry, name, &zxdg_decoration_manager_v1_interface, version, 1));
  } else if (is == wl_output_interface.name) {
    static constexpr wl_output_listener kOutputListener{
        .geometry = Geometry, .mode = Mode, .done = OutputDone, .scale = OutputScale};
    auto output = std::make_unique<Output>();
    output->proxy.reset(
        Bind<wl_output>(registry, name, &wl_output_interface, version, kOutputVersion));
    output->name = name;
    wl_output_add_listener(output->proxy.get(), &kOutputListener, &c);
    c.outputs_.push_back(std::move(output));
  }
}

void Connection::GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
  auto& c = *static_cast<Connection*>(data);
  if (std::erase_if(c.outputs_, [name](const auto& o) { return o->name == name; }) != 0 &&
      c.outputsChanged_) {
    c.outputsChanged_();
  }
}

void Connection::OutputScale(void* data, wl_output* proxy, std::int32_t factor) {
  auto& c = *static_cast<Connection*>(data);
  for (auto& o : c.outputs_) {
    if (o->proxy.get() == proxy) o->scale = std::max(1, factor);
  }
}

void Connection::OutputDone(void* data, wl_output*) {
  auto& c = *static_cast<Connection*>(data);
  if (c.outputsChanged_) c.outputsChanged_();
}

wl_seat* Connection::seat() {
  if (!seat_ && seatName_ != 0) {
    seat_.reset(
        Bind<wl_seat>(registry_.get(), seatName_, &wl_seat_interface, seatVersion_, kSeatVersion));
  }
  return seat_.get();
}

int Connection::scale() const {
  int scale = 1;
  for (const auto& o : outputs_) scale = std::max(scale, o->scale);
  return scale;
}

}  // namespace kelvory::wl
