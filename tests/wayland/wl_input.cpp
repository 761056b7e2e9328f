// A Wayland client for the desktop matrix's native rows. It gives a row
// real input through the compositor's virtual pointer and keyboard, a plain
// window that reports the clicks it gets, and a bar that reserves the
// output's bottom strip.
//
// usage: wl_input input WIDTH HEIGHT  reads "move X Y", "down N", "up N" and
//                                     "key K[+K...]" (e.g. alt+Tab) a line,
//                                     answers "ok" once the compositor has them
//        wl_input below               a window "below" in one colour; prints
//                                     "press N X Y" (surface-local) a click
//        wl_input bar HEIGHT          a grey bar along the bottom, reserving it
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

constexpr std::uint32_t below_colour = 0xff2e8b57;
constexpr std::uint32_t bar_colour = 0xff606060;

struct Globals {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  wl_seat* seat = nullptr;
  xdg_wm_base* wm_base = nullptr;
  zwlr_layer_shell_v1* layer_shell = nullptr;
  zwlr_virtual_pointer_manager_v1* pointers = nullptr;
  zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
};

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t offered, std::uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
  auto& g = *static_cast<Globals*>(data);
  const std::string_view is{interface};
  if (is == wl_compositor_interface.name) {
    g.compositor = bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
  } else if (is == wl_shm_interface.name) {
    g.shm = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
  } else if (is == wl_seat_interface.name && g.seat == nullptr) {
    g.seat = bind<wl_seat>(registry, name, wl_seat_interface, version, 5);
  } else if (is == xdg_wm_base_interface.name) {
    g.wm_base = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 1);
  } else if (is == zwlr_layer_shell_v1_interface.name) {
    g.layer_shell =
        bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 1);
  } else if (is == zwlr_virtual_pointer_manager_v1_interface.name) {
    g.pointers = bind<zwlr_virtual_pointer_manager_v1>(
        registry, name, zwlr_virtual_pointer_manager_v1_interface, version, 2);
  } else if (is == zwp_virtual_keyboard_manager_v1_interface.name) {
    g.keyboards = bind<zwp_virtual_keyboard_manager_v1>(
        registry, name, zwp_virtual_keyboard_manager_v1_interface, version, 1);
  }
}

constexpr wl_registry_listener registry_listener{
    .global = on_global,
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

constexpr xdg_wm_base_listener wm_base_listener{
    .ping = [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

std::uint32_t now_ms() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int fail(const char* why) {
  std::cerr << "wl_input: " << why << '\n';
  return 1;
}

// An fd of SIZE bytes in memory, for a pixel buffer or a keymap.
struct SharedMemory {
  int fd = -1;
  std::size_t size = 0;
  void* data = MAP_FAILED;

  explicit SharedMemory(std::size_t bytes)
      : fd(memfd_create("wl_input", MFD_CLOEXEC)), size(bytes) {
    if (fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0) {
      data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
  }
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;
  ~SharedMemory() {
    if (data != MAP_FAILED) munmap(data, size);
    if (fd >= 0) close(fd);
  }
  bool ok() const { return data != MAP_FAILED; }
};

// A surface filled with one colour at its configured size.
struct Painted {
  Globals* g = nullptr;
  wl_surface* surface = nullptr;
  std::uint32_t colour = 0;
  int width = 0;
  int height = 0;

  void paint() {
    if (width <= 0 || height <= 0) return;
    const int stride = width * 4;
    SharedMemory memory(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    if (!memory.ok()) return;
    auto* pixels = static_cast<std::uint32_t*>(memory.data);
    std::fill(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
              colour);
    wl_shm_pool* pool =
        wl_shm_create_pool(g->shm, memory.fd, static_cast<std::int32_t>(memory.size));
    wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    static constexpr wl_buffer_listener release{
        .release = [](void*, wl_buffer* b) { wl_buffer_destroy(b); },
    };
    wl_buffer_add_listener(buffer, &release, nullptr);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, width, height);
    wl_surface_commit(surface);
  }
};

// The window below the scene: every button press, where it landed.
struct Below {
  Painted painted;
  xdg_surface* xdg = nullptr;
  wl_pointer* pointer = nullptr;
  int pending_width = 640;
  int pending_height = 480;
  double x = 0;
  double y = 0;
  bool open = true;
};

constexpr xdg_toplevel_listener toplevel_listener{
    .configure =
        [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
          auto& below = *static_cast<Below*>(data);
          if (width > 0) below.pending_width = width;
          if (height > 0) below.pending_height = height;
        },
    .close = [](void* data, xdg_toplevel*) { static_cast<Below*>(data)->open = false; },
};

constexpr xdg_surface_listener xdg_surface_listener{
    .configure =
        [](void* data, xdg_surface* surface, std::uint32_t serial) {
          auto& below = *static_cast<Below*>(data);
          xdg_surface_ack_configure(surface, serial);
          below.painted.width = below.pending_width;
          below.painted.height = below.pending_height;
          below.painted.paint();
        },
};

int button_number(std::uint32_t code) {
  switch (code) {
    case BTN_LEFT:
      return 1;
    case BTN_MIDDLE:
      return 2;
    case BTN_RIGHT:
      return 3;
    default:
      return 0;
  }
}

constexpr wl_pointer_listener pointer_listener{
    .enter =
        [](void* data, wl_pointer*, std::uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
          auto& below = *static_cast<Below*>(data);
          below.x = wl_fixed_to_double(x);
          below.y = wl_fixed_to_double(y);
        },
    .leave = [](void*, wl_pointer*, std::uint32_t, wl_surface*) {},
    .motion =
        [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
          auto& below = *static_cast<Below*>(data);
          below.x = wl_fixed_to_double(x);
          below.y = wl_fixed_to_double(y);
        },
    .button =
        [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
           std::uint32_t state) {
          const auto& below = *static_cast<Below*>(data);
          if (state != WL_POINTER_BUTTON_STATE_PRESSED) return;
          std::printf("press %d %d %d\n", button_number(button), static_cast<int>(below.x),
                      static_cast<int>(below.y));
          std::fflush(stdout);
        },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

// A seat has a pointer only while some device (a virtual one) is there.
constexpr wl_seat_listener seat_listener{
    .capabilities =
        [](void* data, wl_seat* seat, std::uint32_t capabilities) {
          auto& below = *static_cast<Below*>(data);
          const bool has_pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
          if (has_pointer && below.pointer == nullptr) {
            below.pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(below.pointer, &pointer_listener, &below);
          } else if (!has_pointer && below.pointer != nullptr) {
            wl_pointer_release(below.pointer);
            below.pointer = nullptr;
          }
        },
    .name = [](void*, wl_seat*, const char*) {},
};

int run_below(wl_display* display, Globals& g) {
  if (g.wm_base == nullptr || g.seat == nullptr)
    return fail("the compositor offers no xdg_wm_base or seat");
  Below below{.painted = {.g = &g,
                          .surface = wl_compositor_create_surface(g.compositor),
                          .colour = below_colour}};
  below.xdg = xdg_wm_base_get_xdg_surface(g.wm_base, below.painted.surface);
  xdg_surface_add_listener(below.xdg, &xdg_surface_listener, &below);
  xdg_toplevel* toplevel = xdg_surface_get_toplevel(below.xdg);
  xdg_toplevel_add_listener(toplevel, &toplevel_listener, &below);
  xdg_toplevel_set_app_id(toplevel, "below");
  xdg_toplevel_set_title(toplevel, "below");
  wl_seat_add_listener(g.seat, &seat_listener, &below);
  wl_surface_commit(below.painted.surface);
  while (below.open && wl_display_dispatch(display) != -1) {
  }
  return 0;
}

// The bar: anchored to the bottom, the full width, its height reserved.
constexpr zwlr_layer_surface_v1_listener bar_listener{
    .configure =
        [](void* data, zwlr_layer_surface_v1* surface, std::uint32_t serial, std::uint32_t width,
           std::uint32_t height) {
          auto& bar = *static_cast<Painted*>(data);
          zwlr_layer_surface_v1_ack_configure(surface, serial);
          bar.width = static_cast<int>(width);
          bar.height = static_cast<int>(height);
          bar.paint();
        },
    .closed = [](void*, zwlr_layer_surface_v1*) { std::exit(0); },
};

int run_bar(wl_display* display, Globals& g, int height) {
  if (g.layer_shell == nullptr) return fail("the compositor offers no zwlr_layer_shell_v1");
  Painted bar{.g = &g, .surface = wl_compositor_create_surface(g.compositor), .colour = bar_colour};
  auto* layer = zwlr_layer_shell_v1_get_layer_surface(g.layer_shell, bar.surface, nullptr,
                                                      ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM, "panel");
  zwlr_layer_surface_v1_add_listener(layer, &bar_listener, &bar);
  zwlr_layer_surface_v1_set_anchor(layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                              ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                              ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_size(layer, 0, static_cast<std::uint32_t>(height));
  zwlr_layer_surface_v1_set_exclusive_zone(layer, height);
  wl_surface_commit(bar.surface);
  while (wl_display_dispatch(display) != -1) {
  }
  return 0;
}

struct KeyName {
  std::string_view name;
  std::uint32_t code;
};
constexpr std::array key_names{
    KeyName{"Escape", KEY_ESC},    KeyName{"Return", KEY_ENTER},    KeyName{"Up", KEY_UP},
    KeyName{"Down", KEY_DOWN},     KeyName{"Left", KEY_LEFT},       KeyName{"Right", KEY_RIGHT},
    KeyName{"Tab", KEY_TAB},       KeyName{"space", KEY_SPACE},     KeyName{"alt", KEY_LEFTALT},
    KeyName{"ctrl", KEY_LEFTCTRL}, KeyName{"shift", KEY_LEFTSHIFT}, KeyName{"super", KEY_LEFTMETA},
};

std::uint32_t key_code(std::string_view name) {
  for (const auto& key : key_names) {
    if (key.name == name) return key.code;
  }
  return 0;
}

// The keyboard sends the US layout and the modifier state that follows from
// the keys it presses, as a real one's compositor would see it.
class Keyboard {
 public:
  explicit Keyboard(zwp_virtual_keyboard_v1* keyboard) : keyboard_(keyboard) {}

  bool load() {
    const xkb_rule_names names{.rules = "evdev", .model = "pc105", .layout = "us"};
    keymap_.reset(xkb_keymap_new_from_names(context_.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap_) return false;
    state_.reset(xkb_state_new(keymap_.get()));
    const std::unique_ptr<char, decltype(&std::free)> text(
        xkb_keymap_get_as_string(keymap_.get(), XKB_KEYMAP_FORMAT_TEXT_V1), &std::free);
    const std::size_t size = std::strlen(text.get()) + 1;
    SharedMemory memory(size);
    if (!memory.ok()) return false;
    std::memcpy(memory.data, text.get(), size);
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, memory.fd,
                                   static_cast<std::uint32_t>(size));
    return true;
  }

  void send(std::uint32_t code, bool down) {
    zwp_virtual_keyboard_v1_key(
        keyboard_, now_ms(), code,
        down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    // xkb counts keys from the X11 keycode base, 8 above evdev's.
    xkb_state_update_key(state_.get(), code + 8, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    zwp_virtual_keyboard_v1_modifiers(
        keyboard_, xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_DEPRESSED),
        xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LATCHED),
        xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LOCKED),
        xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE));
  }

 private:
  zwp_virtual_keyboard_v1* keyboard_;
  std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context_{
      xkb_context_new(XKB_CONTEXT_NO_FLAGS), &xkb_context_unref};
  std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap_{nullptr, &xkb_keymap_unref};
  std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state_{nullptr, &xkb_state_unref};
};

// "alt+Tab": each key down in order, then up in reverse.
bool press_keys(Keyboard& keyboard, const std::string& chord) {
  std::vector<std::uint32_t> codes;
  std::istringstream parts(chord);
  for (std::string part; std::getline(parts, part, '+');) {
    const std::uint32_t code = key_code(part);
    if (code == 0) return false;
    codes.push_back(code);
  }
  for (const auto code : codes) keyboard.send(code, true);
  for (auto it = codes.rbegin(); it != codes.rend(); ++it) keyboard.send(*it, false);
  return true;
}

std::uint32_t button_code(int number) {
  switch (number) {
    case 2:
      return BTN_MIDDLE;
    case 3:
      return BTN_RIGHT;
    default:
      return BTN_LEFT;
  }
}

int run_input(wl_display* display, Globals& g, std::uint32_t width, std::uint32_t height) {
  if (g.pointers == nullptr || g.keyboards == nullptr || g.seat == nullptr) {
    return fail("the compositor offers no virtual pointer, virtual keyboard or seat");
  }
  auto* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
  Keyboard keyboard(zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(g.keyboards, g.seat));
  if (!keyboard.load()) return fail("no keymap");
  wl_display_roundtrip(display);
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    bool known = true;
    if (verb == "move") {
      std::uint32_t x = 0, y = 0;
      words >> x >> y;
      zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (verb == "down" || verb == "up") {
      int number = 1;
      words >> number;
      zwlr_virtual_pointer_v1_button(
          pointer, now_ms(), button_code(number),
          verb == "down" ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (verb == "key") {
      std::string chord;
      words >> chord;
      known = press_keys(keyboard, chord);
    } else {
      known = false;
    }
    if (wl_display_roundtrip(display) == -1) return fail("the compositor went away");
    std::cout << (known ? "ok" : "unknown: " + line) << std::endl;
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  std::unique_ptr<wl_display, decltype(&wl_display_disconnect)> display(wl_display_connect(nullptr),
                                                                        &wl_display_disconnect);
  if (!display) return fail("no Wayland display");
  Globals g;
  wl_registry_add_listener(wl_display_get_registry(display.get()), &registry_listener, &g);
  wl_display_roundtrip(display.get());
  if (g.compositor == nullptr || g.shm == nullptr)
    return fail("the compositor offers no wl_compositor or wl_shm");
  if (g.wm_base != nullptr) xdg_wm_base_add_listener(g.wm_base, &wm_base_listener, nullptr);
  if (mode == "input" && argc == 4) {
    return run_input(display.get(), g, static_cast<std::uint32_t>(std::stoul(argv[2])),
                     static_cast<std::uint32_t>(std::stoul(argv[3])));
  }
  if (mode == "below") return run_below(display.get(), g);
  if (mode == "bar" && argc == 3) return run_bar(display.get(), g, std::stoi(argv[2]));
  std::cerr << "usage: wl_input input WIDTH HEIGHT | below | bar HEIGHT\n";
  return 2;
}
