#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/core/native_window.h"
#include "platform/desktop.h"
#include "platform/wayland/wl_buffer.h"
#include "platform/wayland/wl_host.h"
#include "platform/wayland/wl_paint.h"
#include "platform/wayland/wl_tooltip.h"

namespace kelvory::wl {

// One top-level window of the game. Figures and the control panel are
// layer surfaces above the windows, anchored to the bottom left of the free
// area and placed by margins; a figure lets every click through. Dialogs
// are ordinary top-level windows the compositor frames and places.
class WlWindow final : public NativeWindow, private InputTarget {
 public:
  WlWindow(Host& host, WindowId id, const WindowDesc& desc, InputSink& sink);
  ~WlWindow() override;
  WlWindow(const WlWindow&) = delete;
  WlWindow& operator=(const WlWindow&) = delete;

  void setTwips(const Twips& geometry) override;
  void relayout(bool rescaled) override;
  void setWanted(bool shown, bool modal) override;
  void setCovered(bool covered) override;
  void allowInput(bool allowed) override { allowed_ = allowed; }
  void sendToBack() override;
  void bringToFront() override;
  void retire() override;
  ShapeResult setShape(const Shape& shape) override;

  void setBack(ControlId control, Rgb back) override;
  void setPicture(ControlId control, const Picture& picture) override;
  void print(std::string_view text, double x, double y, const Font& font) override;
  void clearPrinted() override;

  ControlId addControl(const ControlDesc& desc) override;
  void setControlBox(ControlId control, const Twips& box) override;
  void setControlText(ControlId control, std::string_view text) override;
  void setControlVisible(ControlId control, bool visible) override;
  void setControlToolTip(ControlId control, std::string_view tip) override;

  // Sends what changed since the last flush to the compositor.
  void flush();
  bool onLayer() const { return frame_ == Frame::None || frame_ == Frame::Thin; }
  bool panel() const { return frame_ == Frame::Thin; }
  // The keyboard, while a menu of it is open (a layer surface has none
  // otherwise).
  void takeKeys(bool keys);
  // Where the window hides what is behind it, screen pixels of the free
  // area: nothing unless it shows in front.
  std::vector<PixelRect> cover() const;
  wl_surface* surface() const;
  zwlr_layer_surface_v1* layerSurface() const;
  // The tip of the control the pointer rests on, if it has one.
  void showTip();
  // Input without the event loop's detour, and the keys a dialog answers
  // to: for the desktop's own windows (message boxes).
  void deliverAtOnce() { atOnce_ = true; }
  void onKey(std::function<void(std::uint32_t)> key) { onKey_ = std::move(key); }

 private:
  struct Role;

  std::unique_ptr<Role> makeRole();
  void dropRole(std::unique_ptr<Role>& role);
  void applyVisibility();
  // Clips drawing to what the other figures leave showing.
  void leaveOutCover(cairo_t* cr, const PixelRect& surface);
  // Where the window's surface lies in the free area, and its client area's
  // offset in it; nothing when none of it is in the free area.
  struct Placement {
    PixelRect surface;
    int clientX = 0, clientY = 0;
    int boxWidth = 0, boxHeight = 0;
  };
  std::optional<Placement> placement() const;
  bool draw(Role& role, const Placement& placed);
  void changed() { dirty_ = true; }
  void report(std::function<void(InputSink&)> input);
  Content::Child* child(ControlId control);

  void pointerMotion(double x, double y) override;
  void pointerButton(MouseButton button, bool down) override;
  void pointerLeave() override;
  // The pointer is over another control: a tip shown goes, another waits.
  void pointTo(ControlId control);
  void key(std::uint32_t code) override;

  Host& host_;
  WindowId id_;
  Frame frame_;
  std::string caption_;
  Twips twips_;
  Visibility visibility_;
  Content content_;
  ControlId nextControl_ = 1;
  bool dirty_ = true;
  bool allowed_ = true;
  bool retired_ = false;
  bool atOnce_ = false;
  std::function<void(std::uint32_t)> onKey_;
  InputSink& sink_;
  // The pointer in client coordinates, and the control that took each
  // button's press.
  double pointerX_ = 0, pointerY_ = 0;
  double surfaceX_ = 0, surfaceY_ = 0;
  std::map<MouseButton, ControlId> pressed_;
  ControlId pointed_ = kSurface;
  std::unique_ptr<Tooltip> tip_;
  bool behind_ = false;     // sent to the back
  unsigned coveredAt_ = 0;  // the scene it last left out
  bool keys_ = false;
  std::unique_ptr<Role> role_;
};

}  // namespace kelvory::wl
