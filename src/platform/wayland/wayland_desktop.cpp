#include "platform/wayland/wayland_desktop.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/core/local_clock.h"
#include "platform/core/message_box.h"
#include "platform/core/screen_layout.h"
#include "platform/profile.h"
#include "platform/wayland/wayland_module.h"
#include "platform/wayland/wl_menu.h"
#include "platform/wayland/wl_message_box.h"

namespace kelvory {
namespace {

constexpr double kLayoutDpi = 96;
// Round trips the start-up waits for the free area at most.
constexpr int kProbeTries = 10;

std::string UserConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return std::string(xdg) + "/kelvory";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.config/kelvory";
  }
  return {};
}

}  // namespace

// An invisible layer surface stretched over the free area: its size is the
// room the bars leave, and the compositor tells it again when that changes.
struct WaylandDesktop::Probe {
  wl::Proxy<wl_surface> surface;
  wl::Proxy<zwlr_layer_surface_v1> layer;
  std::unique_ptr<wl::ShmBuffer> pixel;
  wl::FreeArea area;
  bool configured = false;
};

WaylandDesktop::WaylandDesktop(std::unique_ptr<wl::Connection> connection)
    : connection_(std::move(connection)), grid_(LogicalGrid(kLayoutDpi)) {
  wl::Connection& c = *connection_;
  scale_ = c.scale();
  if (c.seat() != nullptr)
    seat_ = std::make_unique<wl::Seat>(c.seat(), c.compositor(), c.shm(), scale_);
  c.onOutputs([this] { checkScreen(); });

  probe_ = std::make_unique<Probe>();
  Probe& p = *probe_;
  p.surface.reset(wl_compositor_create_surface(c.compositor()));
  static constexpr zwlr_layer_surface_v1_listener kListener{
      .configure =
          [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t w,
             std::uint32_t h) {
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            auto& d = *static_cast<WaylandDesktop*>(data);
            d.probe_->area = {static_cast<int>(w), static_cast<int>(h)};
            d.probe_->configured = true;
            d.checkScreen();
          },
      .closed = [](void*, zwlr_layer_surface_v1*) {},
  };
  p.layer.reset(zwlr_layer_shell_v1_get_layer_surface(
      c.layers(), p.surface.get(), nullptr, ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "kelvory-area"));
  zwlr_layer_surface_v1_add_listener(p.layer.get(), &kListener, this);
  zwlr_layer_surface_v1_set_anchor(
      p.layer.get(), ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_size(p.layer.get(), 0, 0);
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      p.layer.get(), ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  wl_region* none = wl_compositor_create_region(c.compositor());
  wl_surface_set_input_region(p.surface.get(), none);
  wl_region_destroy(none);
  wl_surface_commit(p.surface.get());
  for (int i = 0; i < kProbeTries && !p.configured; ++i) {
    if (wl_display_roundtrip(c.display()) < 0) break;
  }
  // Mapped with one clear pixel: compositors keep a mapped surface's size
  // up to date.
  p.pixel = wl::ShmBuffer::Make(c.shm(), 1, 1);
  if (p.pixel) {
    wl_surface_attach(p.surface.get(), p.pixel->attachable(), 0, 0);
    wl_surface_commit(p.surface.get());
  }
  free_ = p.area;

  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &set, nullptr) == 0) signals_ = signalfd(-1, &set, SFD_CLOEXEC);
}

// The windows go before the timers they may stop and the connection.
WaylandDesktop::~WaylandDesktop() {
  closeAll();
  probe_.reset();
  seat_.reset();
  if (signals_ >= 0) close(signals_);
}

// --- screen, clock, calendar ------------------------------------------------

ScreenMetrics WaylandDesktop::metrics() const {
  const DeviceScreen read{.width = free_.known() ? free_.width : DeviceScreen{}.width,
                          .height = free_.known() ? free_.height : DeviceScreen{}.height,
                          .workAreaBottom = free_.known() ? free_.height : DeviceScreen{}.height};
  return LayoutMetrics(read, grid_);
}

void WaylandDesktop::checkScreen() {
  const int scale = connection_->scale();
  const wl::FreeArea area = probe_ ? probe_->area : free_;
  if (scale == scale_ && area.width == free_.width && area.height == free_.height) return;
  const bool rescaled = scale != scale_;
  scale_ = scale;
  free_ = area;
  if (rescaled && seat_) seat_->setScale(scale_);
  noteScreenChange();
}

Desktop::Ms WaylandDesktop::now() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

LocalTime WaylandDesktop::localTime() const { return LocalClockNow(); }

double WaylandDesktop::textWidth(const Font& font, std::string_view text) const {
  return grid_.twips(fonts_.width(font, text));
}

// --- windows, menus, message boxes -------------------------------------------

std::unique_ptr<NativeWindow> WaylandDesktop::makeWindow(WindowId id, const WindowDesc& desc) {
  return std::make_unique<wl::WlWindow>(static_cast<wl::Host&>(*this), id, desc, reports());
}

void WaylandDesktop::enlist(wl::WlWindow& window) { windows_.push_back(&window); }

void WaylandDesktop::forget(wl::WlWindow& window) {
  std::erase(windows_, &window);
  sceneChanged();
  if (tipWindow_ == &window) tipAfter(nullptr, 0);
}

std::vector<PixelRect> WaylandDesktop::cover() const {
  std::vector<PixelRect> all;
  for (const wl::WlWindow* w : windows_) {
    const auto rects = w->cover();
    all.insert(all.end(), rects.begin(), rects.end());
  }
  return all;
}

void WaylandDesktop::tipAfter(wl::WlWindow* window, int delayMs) {
  tipWindow_ = window;
  tipDue_ = window != nullptr ? now() + delayMs : kNever;
}

bool WaylandDesktop::tipOne() {
  if (tipWindow_ == nullptr || now() < tipDue_) return false;
  wl::WlWindow* window = tipWindow_;
  tipAfter(nullptr, 0);
  window->showTip();
  return true;
}

wl::WlWindow* WaylandDesktop::menuParent() const {
  wl_surface* pressed = seat_ ? seat_->pressedOn() : nullptr;
  wl::WlWindow* panel = nullptr;
  for (wl::WlWindow* w : windows_) {
    if (w->layerSurface() == nullptr) continue;
    if (pressed != nullptr && w->surface() == pressed) return w;
    if (w->panel()) panel = w;
  }
  return panel;
}

std::optional<int> WaylandDesktop::trackMenu(NativeWindow&,
                                             const std::vector<MenuItemDesc>& items) {
  // One menu at a time: a press on the panel while one is open (where the
  // compositor let it through) closes that one first.
  closeMenu();
  wl::WlWindow* parent = menuParent();
  if (lost_ || parent == nullptr || !seat_) return std::nullopt;
  wl::PopupMenu menu(static_cast<wl::Host&>(*this), *parent, items);
  closeMenu_ = [&menu] { menu.dismiss(); };
  waitUntil(kNever, [&menu] { return menu.finished(); });
  closeMenu_ = nullptr;
  return menu.chosen();
}

void WaylandDesktop::closeMenu() {
  if (closeMenu_) closeMenu_();
}

MsgAnswer WaylandDesktop::showMessageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  if (lost_) {
    std::fprintf(stderr, "kelvory: %.*s\n", static_cast<int>(text.size()), text.data());
    return BoxAnswer(buttons, false);
  }
  ++boxes_;
  wl::MessageBox box(static_cast<wl::Host&>(*this), text, buttons, icon);
  waitUntil(kNever, [&box] { return box.answered(); });
  --boxes_;
  return box.answer();
}

// --- timers and waiting ------------------------------------------------------

void WaylandDesktop::startTimer(TimerId id, int intervalMs) {
  timers_.start(id, intervalMs, now());
}

void WaylandDesktop::stopTimer(TimerId id) { timers_.stop(id); }

bool WaylandDesktop::tickOne() {
  const auto due = timers_.takeDue(now());
  if (due) onTimer(*due);
  return due.has_value();
}

void WaylandDesktop::post(std::function<void()> handler) {
  // A message box holds every other window's input.
  if (boxes_ > 0) return;
  queue_.push_back(std::move(handler));
}

bool WaylandDesktop::deliverOne() {
  if (queue_.empty()) return false;
  const std::function<void()> handler = std::move(queue_.front());
  queue_.pop_front();
  handler();
  return true;
}

void WaylandDesktop::flushWindows() {
  if (lost_) return;
  for (wl::WlWindow* w : windows_) w->flush();
}

void WaylandDesktop::readEvents(int timeoutMs) {
  if (lost_) {
    if (timeoutMs != 0) poll(nullptr, 0, timeoutMs);
    return;
  }
  wl_display* display = connection_->display();
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) return connectionLost();
  }
  if (!queue_.empty()) timeoutMs = 0;
  while (wl_display_flush(display) < 0) {
    if (errno != EAGAIN) {
      wl_display_cancel_read(display);
      return connectionLost();
    }
    pollfd out{.fd = wl_display_get_fd(display), .events = POLLOUT};
    poll(&out, 1, -1);
  }
  std::array<pollfd, 2> fds{pollfd{.fd = wl_display_get_fd(display), .events = POLLIN},
                            pollfd{.fd = signals_, .events = POLLIN}};
  const int ready = poll(fds.data(), signals_ >= 0 ? 2 : 1, timeoutMs);
  if (ready > 0 && fds[0].revents != 0) {
    if (wl_display_read_events(display) < 0) return connectionLost();
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0) return connectionLost();
  if (ready > 0 && fds[1].revents != 0) {
    signalfd_siginfo info{};
    [[maybe_unused]] const auto got = read(signals_, &info, sizeof info);
    // Not post(): that holds back input while a message box is open, and
    // the session's end must come through even then.
    queue_.push_back([this] { sessionEnding(); });
  }
}

void WaylandDesktop::connectionLost() {
  if (lost_) return;
  lost_ = true;
  std::fputs("kelvory: the Wayland compositor has gone away: saving the catches and ending\n",
             stderr);
  queue_.clear();
  // The game saves what it holds and ends; a box it shows meanwhile goes
  // to stderr, since nobody can answer it.
  queue_.push_back([this] { sessionEnding(); });
}

void WaylandDesktop::dispatchQueued(const std::function<bool()>& done) {
  readEvents(0);
  for (;;) {
    if (!deliverOne() && !tickOne()) break;
    if (done()) break;
  }
  flushWindows();
  if (!lost_) wl_display_flush(connection_->display());
}

void WaylandDesktop::waitForEvents(Ms deadline) {
  if (deliverOne() || tickOne()) return;
  tipOne();
  flushWindows();
  const Ms until = std::min({deadline, tipDue_, timers_.nextDue()});
  int timeout = -1;
  if (until != kNever) timeout = static_cast<int>(std::clamp<Ms>(until - now(), 0, INT_MAX));
  readEvents(timeout);
}

// --- settings and the rest ---------------------------------------------------

std::string WaylandDesktop::programFolder() const {
  return files::settingsFolder(wl::ProgramFolder().value_or(".").string(), UserConfigFolder(),
                               files::Home::UserFolder);
}

void WaylandDesktop::writeLog(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void WaylandDesktop::endProgram() {
  std::fflush(nullptr);
  if (!lost_) wl_display_flush(connection_->display());
  std::quick_exit(0);
}

}  // namespace kelvory
