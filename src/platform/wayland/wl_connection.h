#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/wayland/protocols.h"
#include "platform/wayland/wl_proxy.h"

namespace kelvory::wl {

// One output the compositor offers, with its whole-number scale.
struct Output {
  Proxy<wl_output> proxy;
  std::uint32_t name = 0;
  int scale = 1;
};

// The connection to the compositor and the globals the desktop uses. A
// compositor without the layer shell cannot place our figures; the caller
// then runs through XWayland instead.
class Connection {
 public:
  // Nothing when no compositor answers.
  static std::unique_ptr<Connection> Open();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  wl_display* display() const { return display_; }
  wl_compositor* compositor() const { return compositor_.get(); }
  wl_shm* shm() const { return shm_.get(); }
  // Bound on first asking, so that its listener hears its capabilities;
  // nullptr without a seat.
  wl_seat* seat();
  xdg_wm_base* shell() const { return shell_.get(); }
  zwlr_layer_shell_v1* layers() const { return layers_.get(); }
  zxdg_decoration_manager_v1* decorations() const { return decorations_.get(); }
  bool complete() const { return compositor_ && shm_ && shell_ && layers_; }

  // The largest scale of any output: a figure drawn for it stays crisp on
  // every one, since the compositor only ever halves it.
  int scale() const;
  // An output came, went or changed its scale.
  void onOutputs(std::function<void()> changed) { outputsChanged_ = std::move(changed); }

 private:
  explicit Connection(wl_display* display);
  static void Global(void* data, wl_registry*, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void GlobalRemove(void* data, wl_registry*, std::uint32_t name);
  static void OutputScale(void* data, wl_output*, std::int32_t factor);
  static void OutputDone(void* data, wl_output*);

  wl_display* display_;
  Proxy<wl_registry> registry_;
  Proxy<wl_compositor> compositor_;
  Proxy<wl_shm> shm_;
  Proxy<wl_seat> seat_;
  Proxy<xdg_wm_base> shell_;
  Proxy<zwlr_layer_shell_v1> layers_;
  Proxy<zxdg_decoration_manager_v1> decorations_;
  std::vector<std::unique_ptr<Output>> outputs_;
  std::function<void()> outputsChanged_;
  std::uint32_t seatName_ = 0;
  std::uint32_t seatVersion_ = 0;
};

}  // namespace kelvory::wl
