#include "platform/wayland/wl_window.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace kelvory::wl {
namespace {

constexpr int kThinInset = 1;
constexpr int kTipDelayMs = 600;
constexpr const char* kNamespace = "kelvory";
constexpr const char* kAppId = "kelvory";

}  // namespace

// One surface with its role; a window has one while it shows.
struct WlWindow::Role {
  BufferPair buffers;
  Proxy<wl_surface> surface;
  Proxy<zwlr_layer_surface_v1> layer;
  Proxy<xdg_surface> xdg;
  Proxy<xdg_toplevel> toplevel;
  Proxy<zxdg_toplevel_decoration_v1> decoration;
  WlWindow* window = nullptr;
  bool configured = false;
  bool closed = false;
  bool drawn = false;
  int scale = 0;
  std::optional<PixelRect> placedAt;  // as last sent
};

WlWindow::WlWindow(Host& host, WindowId id, const WindowDesc& desc, InputSink& sink)
    : host_(host),
      id_(id),
      frame_(desc.frame),
      caption_(desc.caption),
      twips_(desc.geometry),
      sink_(sink) {
  content_.frame = desc.frame;
  content_.back = desc.back;
  host_.enlist(*this);
}

WlWindow::~WlWindow() {
  dropRole(role_);
  host_.forget(*this);
}

std::unique_ptr<WlWindow::Role> WlWindow::makeRole() {
  Connection& c = host_.connection();
  auto role = std::make_unique<Role>();
  role->window = this;
  role->surface.reset(wl_compositor_create_surface(c.compositor()));
  SetTarget(role->surface.get(), this);
  if (onLayer()) {
    static constexpr zwlr_layer_surface_v1_listener kListener{
        .configure =
            [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t,
               std::uint32_t) {
              zwlr_layer_surface_v1_ack_configure(layer, serial);
              static_cast<Role*>(data)->configured = true;
            },
        .closed = [](void* data,
                     zwlr_layer_surface_v1*) { static_cast<Role*>(data)->closed = true; },
    };
    role->layer.reset(zwlr_layer_shell_v1_get_layer_surface(
        c.layers(), role->surface.get(), nullptr, ZWLR_LAYER_SHELL_V1_LAYER_TOP, kNamespace));
    zwlr_layer_surface_v1_add_listener(role->layer.get(), &kListener, role.get());
    zwlr_layer_surface_v1_set_anchor(
        role->layer.get(), ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        role->layer.get(), keys_ ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                 : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    if (frame_ == Frame::None) {
      // Every click goes through a figure to what lies below.
      wl_region* none = wl_compositor_create_region(c.compositor());
      wl_surface_set_input_region(role->surface.get(), none);
      wl_region_destroy(none);
    }
    if (const auto placed = placement()) {
      const PixelRect& r = placed->surface;
      zwlr_layer_surface_v1_set_size(role->layer.get(), r.right - r.left, r.bottom - r.top);
      zwlr_layer_surface_v1_set_margin(role->layer.get(), 0, 0, host_.freeArea().height - r.bottom,
                                       r.left);
      role->placedAt = r;
    }
  } else {
    static constexpr xdg_surface_listener kSurface{
        .configure =
            [](void* data, xdg_surface* xdg, std::uint32_t serial) {
              xdg_surface_ack_configure(xdg, serial);
              static_cast<Role*>(data)->configured = true;
            },
    };
    static constexpr xdg_toplevel_listener kToplevel{
        .configure = [](void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {},
        .close =
            [](void* data, xdg_toplevel*) {
              WlWindow* w = static_cast<Role*>(data)->window;
              const WindowId id = w->id_;
              w->report([id](InputSink& sink) { sink.closeRequested(id); });
            },
    };
    role->xdg.reset(xdg_wm_base_get_xdg_surface(c.shell(), role->surface.get()));
    xdg_surface_add_listener(role->xdg.get(), &kSurface, role.get());
    role->toplevel.reset(xdg_surface_get_toplevel(role->xdg.get()));
    xdg_toplevel_add_listener(role->toplevel.get(), &kToplevel, role.get());
    xdg_toplevel_set_title(role->toplevel.get(), caption_.c_str());
    xdg_toplevel_set_app_id(role->toplevel.get(), kAppId);
    if (const auto placed = placement()) {
      const PixelRect& r = placed->surface;
      xdg_toplevel_set_min_size(role->toplevel.get(), r.right, r.bottom);
      xdg_toplevel_set_max_size(role->toplevel.get(), r.right, r.bottom);
      role->placedAt = r;
    }
    if (auto* decorations = c.decorations()) {
      // A title bar and a close box drawn by the compositor, as its other
      // windows have them.
      role->decoration.reset(
          zxdg_decoration_manager_v1_get_toplevel_decoration(decorations, role->toplevel.get()));
      zxdg_toplevel_decoration_v1_set_mode(role->decoration.get(),
                                           ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
  }
  wl_surface_commit(role->surface.get());
  return role;
}

void WlWindow::dropRole(std::unique_ptr<Role>& role) {
  if (!role) return;
  tip_.reset();
  if (Seat* seat = host_.seat()) seat->forget(role->surface.get());
  role.reset();
}

std::optional<WlWindow::Placement> WlWindow::placement() const {
  const PixelRect box = host_.grid().box(twips_);
  if (box.right <= box.left || box.bottom <= box.top) return std::nullopt;
  Placement p{.boxWidth = box.right - box.left, .boxHeight = box.bottom - box.top};
  if (!onLayer()) {
    p.surface = {0, 0, p.boxWidth, p.boxHeight};
    return p;
  }
  // Cut at the free area's edges: the layer shell keeps a surface inside it.
  const FreeArea free = host_.freeArea();
  if (!free.known()) return std::nullopt;
  p.surface = {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, free.width),
               std::min(box.bottom, free.height)};
  if (p.surface.right <= p.surface.left || p.surface.bottom <= p.surface.top) return std::nullopt;
  p.clientX = box.left - p.surface.left;
  p.clientY = box.top - p.surface.top;
  return p;
}

void WlWindow::applyVisibility() {
  if (frame_ == Frame::Hidden || retired_) return;
  const bool cutAway = content_.shape && content_.shape->empty();
  const bool show = visibility_.onScreen(frame_, placement().has_value() && !cutAway);
  if (show && !role_) {
    role_ = makeRole();
    dirty_ = true;
  } else if (!show && role_) {
    dropRole(role_);
  } else {
    return;
  }
  if (!behind_) host_.sceneChanged();
}

// Behind the other figures and still above the ordinary windows, as on X11:
// a layer's surfaces stack as each compositor likes, so the window leaves
// out what the others cover (the float bobs behind the sea, the fish rises
// from behind it).
void WlWindow::sendToBack() {
  if (!onLayer() || behind_) return;
  behind_ = true;
  changed();
  host_.sceneChanged();
}

void WlWindow::bringToFront() {
  if (!behind_) return;
  behind_ = false;
  changed();
  host_.sceneChanged();
}

void WlWindow::takeKeys(bool keys) {
  if (keys == keys_ || !onLayer()) return;
  keys_ = keys;
  if (!role_) return;
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      role_->layer.get(), keys_ ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  wl_surface_commit(role_->surface.get());
}

std::vector<PixelRect> WlWindow::cover() const {
  std::vector<PixelRect> out;
  const auto placed = placement();
  if (!role_ || !placed || !onLayer() || behind_) return out;
  const PixelRect& on = placed->surface;
  if (!content_.shape) return {on};
  // The outline's rectangles on the screen, within the surface.
  const PixelRect box = host_.grid().box(twips_);
  for (const PixelRect& r : *content_.shape) {
    const PixelRect s{std::max(box.left + r.left, on.left), std::max(box.top + r.top, on.top),
                      std::min(box.left + r.right, on.right),
                      std::min(box.top + r.bottom, on.bottom)};
    if (s.left < s.right && s.top < s.bottom) out.push_back(s);
  }
  return out;
}

void WlWindow::retire() {
  retired_ = true;
  dropRole(role_);
}

void WlWindow::leaveOutCover(cairo_t* cr, const PixelRect& surface) {
  coveredAt_ = host_.sceneVersion();
  const cairo_rectangle_int_t all{0, 0, surface.right - surface.left, surface.bottom - surface.top};
  cairo_region_t* shown = cairo_region_create_rectangle(&all);
  for (const PixelRect& c : host_.cover()) {
    const cairo_rectangle_int_t r{c.left - surface.left, c.top - surface.top, c.right - c.left,
                                  c.bottom - c.top};
    cairo_region_subtract_rectangle(shown, &r);
  }
  for (int i = 0; i < cairo_region_num_rectangles(shown); ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(shown, i, &r);
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  }
  cairo_region_destroy(shown);
  cairo_clip(cr);
}

bool WlWindow::draw(Role& role, const Placement& placed) {
  const int scale = host_.scale();
  const PixelRect& r = placed.surface;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  ShmBuffer* buffer = role.buffers.next(host_.connection().shm(), width * scale, height * scale);
  if (buffer == nullptr) return false;
  cairo_t* cr = cairo_create(buffer->canvas());
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_scale(cr, scale, scale);
  if (behind_) leaveOutCover(cr, r);
  cairo_translate(cr, placed.clientX, placed.clientY);
  const int inset = frame_ == Frame::Thin ? kThinInset : 0;
  cairo_save(cr);
  cairo_translate(cr, inset, inset);
  Paint({.cr = cr, .fonts = host_.fonts(), .grid = host_.grid(), .pictures = host_.pictures()},
        content_, placed.boxWidth - 2 * inset, placed.boxHeight - 2 * inset);
  cairo_restore(cr);
  if (frame_ == Frame::Thin) PaintThinBorder(cr, placed.boxWidth, placed.boxHeight);
  cairo_destroy(cr);
  Present(role.surface.get(), *buffer, scale);
  role.scale = scale;
  role.drawn = true;
  return true;
}

void WlWindow::flush() {
  if (role_ && role_->closed) {
    // The compositor let go of the surface (its output went): a new one.
    dropRole(role_);
    role_ = makeRole();
  }
  const auto placed = placement();
  if (!placed || !role_ || !role_->configured) return;
  Role& role = *role_;
  bool commit = false;
  if (behind_ && coveredAt_ != host_.sceneVersion()) dirty_ = true;
  if (role.layer && role.placedAt != placed->surface) {
    const PixelRect& r = placed->surface;
    const bool resized = !role.placedAt ||
                         role.placedAt->right - role.placedAt->left != r.right - r.left ||
                         role.placedAt->bottom - role.placedAt->top != r.bottom - r.top;
    if (resized) {
      zwlr_layer_surface_v1_set_size(role.layer.get(), r.right - r.left, r.bottom - r.top);
      dirty_ = true;
    }
    zwlr_layer_surface_v1_set_margin(role.layer.get(), 0, 0, host_.freeArea().height - r.bottom,
                                     r.left);
    // A figure cut at the edge shows another part of itself.
    if (placed->clientX != 0 || placed->clientY != 0 || resized) dirty_ = true;
    role.placedAt = r;
    commit = true;
  }
  if (role.toplevel && role.placedAt != placed->surface) {
    // A dialog keeps the size the game gives it, and no other.
    const PixelRect& r = placed->surface;
    xdg_toplevel_set_min_size(role.toplevel.get(), r.right, r.bottom);
    xdg_toplevel_set_max_size(role.toplevel.get(), r.right, r.bottom);
    role.placedAt = r;
    dirty_ = true;
  }
  if (dirty_ || !role.drawn || role.scale != host_.scale()) {
    if (draw(role, *placed)) {
      dirty_ = false;
      commit = true;
    }
  }
  if (commit) wl_surface_commit(role.surface.get());
}

void WlWindow::setTwips(const Twips& geometry) {
  if (geometry == twips_) return;
  if (role_ && !behind_) host_.sceneChanged();
  const PixelRect before = host_.grid().box(twips_);
  twips_ = geometry;
  const PixelRect after = host_.grid().box(twips_);
  if (before.right - before.left != after.right - after.left ||
      before.bottom - before.top != after.bottom - after.top) {
    dirty_ = true;
  }
  applyVisibility();
}

void WlWindow::relayout(bool rescaled) {
  if (rescaled) dirty_ = true;
  // The free area may have changed under the figure.
  if (role_) role_->placedAt.reset();
  applyVisibility();
}

void WlWindow::setWanted(bool shown, bool) {
  visibility_.wanted = shown;
  applyVisibility();
}

void WlWindow::setCovered(bool covered) {
  visibility_.covered = covered;
  applyVisibility();
}

ShapeResult WlWindow::setShape(const Shape& shape) {
  std::vector<PixelRect> rects(shape.rects.begin(), shape.rects.end());
  if (content_.shape && *content_.shape == rects) return ShapeResult::Ok;
  content_.shape = std::move(rects);
  changed();
  if (role_ && !behind_) host_.sceneChanged();
  applyVisibility();
  return ShapeResult::Ok;
}

Content::Child* WlWindow::child(ControlId control) {
  const auto it = content_.children.find(control);
  return it == content_.children.end() ? nullptr : &it->second;
}

// The game sets many pictures and texts to what they already are: only a
// change is drawn.
void WlWindow::setBack(ControlId control, Rgb back) {
  Rgb* now = &content_.back;
  if (control != kSurface) {
    Content::Child* c = child(control);
    if (c == nullptr) return;
    now = &c->desc.back;
  }
  if (*now == back) return;
  *now = back;
  changed();
}

void WlWindow::setPicture(ControlId control, const Picture& picture) {
  const Bitmap** now = &content_.picture;
  if (control != kSurface) {
    Content::Child* c = child(control);
    if (c == nullptr) return;
    now = &c->picture;
  }
  if (*now == picture.bitmap) return;
  *now = picture.bitmap;
  changed();
}

void WlWindow::print(std::string_view text, double x, double y, const Font& font) {
  content_.printed.push_back({std::string(text), x, y, font});
  changed();
}

void WlWindow::clearPrinted() {
  if (content_.printed.empty()) return;
  content_.printed.clear();
  changed();
}

ControlId WlWindow::addControl(const ControlDesc& desc) {
  const ControlId id = nextControl_++;
  content_.children.emplace(id, Content::Child{.desc = desc});
  changed();
  return id;
}

void WlWindow::setControlBox(ControlId control, const Twips& box) {
  Content::Child* c = child(control);
  if (c == nullptr || c->desc.box == box) return;
  c->desc.box = box;
  changed();
}

void WlWindow::setControlText(ControlId control, std::string_view text) {
  Content::Child* c = child(control);
  if (c == nullptr || c->desc.text == text) return;
  c->desc.text = std::string(text);
  changed();
}

void WlWindow::setControlVisible(ControlId control, bool visible) {
  Content::Child* c = child(control);
  if (c == nullptr || c->desc.visible == visible) return;
  c->desc.visible = visible;
  changed();
}

void WlWindow::setControlToolTip(ControlId control, std::string_view tip) {
  if (Content::Child* c = child(control)) c->tip = std::string(tip);
}

wl_surface* WlWindow::surface() const { return role_ ? role_->surface.get() : nullptr; }

zwlr_layer_surface_v1* WlWindow::layerSurface() const {
  return role_ ? role_->layer.get() : nullptr;
}

void WlWindow::report(std::function<void(InputSink&)> input) {
  if (atOnce_) {
    input(sink_);
    return;
  }
  InputSink& sink = sink_;
  host_.post([&sink, input = std::move(input)] { input(sink); });
}

void WlWindow::pointerMotion(double x, double y) {
  const int inset = frame_ == Frame::Thin ? kThinInset : 0;
  const auto placed = placement();
  surfaceX_ = x;
  surfaceY_ = y;
  pointerX_ = x - inset - (placed ? placed->clientX : 0);
  pointerY_ = y - inset - (placed ? placed->clientY : 0);
  if (!allowed_ || frame_ == Frame::None) return;
  const WindowId id = id_;
  const ControlId under = ControlAt(content_, host_.grid(), pointerX_, pointerY_);
  pointTo(pressed_.empty() ? under : kSurface);
  // While a button is down the control that took it hears the moves.
  const ControlId control = pressed_.empty() ? under : pressed_.begin()->second;
  report([id, control](InputSink& sink) { sink.mouseMove(id, control); });
}

void WlWindow::pointerButton(MouseButton button, bool down) {
  if (frame_ == Frame::None) return;
  const WindowId id = id_;
  if (down) {
    if (!allowed_) return;
    const ControlId control = ControlAt(content_, host_.grid(), pointerX_, pointerY_);
    pressed_[button] = control;
    const Content::Child* c = child(control);
    if (c != nullptr && c->desc.kind == ControlKind::Button) {
      if (button == MouseButton::Left) {
        content_.pressed = control;
        changed();
      }
      return;
    }
    report([id, control, button](InputSink& sink) { sink.mouseDown(id, control, button); });
    return;
  }
  const auto it = pressed_.find(button);
  if (it == pressed_.end()) return;
  const ControlId control = it->second;
  pressed_.erase(it);
  const Content::Child* c = child(control);
  if (c != nullptr && c->desc.kind == ControlKind::Button) {
    if (button != MouseButton::Left) return;
    content_.pressed.reset();
    changed();
    // A button is clicked when released over it.
    if (allowed_ && ControlAt(content_, host_.grid(), pointerX_, pointerY_) == control) {
      report([id, control](InputSink& sink) { sink.clicked(id, control); });
    }
    return;
  }
  report([id, control, button](InputSink& sink) { sink.mouseUp(id, control, button); });
}

void WlWindow::pointTo(ControlId control) {
  if (control == pointed_) return;
  pointed_ = control;
  tip_.reset();
  const Content::Child* c = child(control);
  host_.tipAfter(c != nullptr && !c->tip.empty() ? this : nullptr, kTipDelayMs);
}

void WlWindow::pointerLeave() { pointTo(kSurface); }

void WlWindow::showTip() {
  const Content::Child* c = child(pointed_);
  if (c == nullptr || c->tip.empty() || !role_) return;
  tip_ = std::make_unique<Tooltip>(
      host_, PopupSurface::Parent{.dialog = role_->xdg.get(), .layer = role_->layer.get()},
      static_cast<int>(surfaceX_), static_cast<int>(surfaceY_), c->tip);
}

void WlWindow::key(std::uint32_t code) {
  if (onKey_) onKey_(code);
}

}  // namespace kelvory::wl
