#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/native_window.h"
#include "platform/core/screen_layout.h"
#include "platform/desktop.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_window_batch.h"

namespace kelvory::win32 {

// One top-level window of the game. It keeps its geometry in twips and lays
// itself out in pixels whenever that or the screen's scale changes. Every
// child but a button is drawn by the window itself. Moves, outlines and
// repaints go through the desktop's batch, applied when it next waits.
class DeskWindow final : public NativeWindow {
 public:
  DeskWindow(WindowId id, const WindowDesc& desc, const Resources& resources, WindowBatch& batch,
             InputSink& listener, HICON icon);
  ~DeskWindow() override;
  DeskWindow(const DeskWindow&) = delete;
  DeskWindow& operator=(const DeskWindow&) = delete;

  // Once at start-up, before the first window.
  static bool registerClass();
  // What a dialog's frame and caption add around its client area.
  static FrameExtents dialogFrame();

  HWND hwnd() const { return hwnd_.get(); }
  WindowId id() const { return id_; }
  Frame frame() const { return frame_; }

  void setTwips(const Twips& geometry) override;
  void relayout(bool rescaled) override;
  // A window without area stays hidden. Modality is the desktop's, through
  // allowInput.
  void setWanted(bool shown, bool modal) override;
  void setCovered(bool covered) override;
  void allowInput(bool allowed) override;  // EnableWindow
  // Within our own band: a figure stays topmost.
  void sendToBack() override;
  void bringToFront() override;
  void retire() override;
  ShapeResult setShape(const Shape& shape) override;

  // All drawn in one pass, off screen, on WM_PAINT.
  void setBack(ControlId control, Rgb back) override;
  void setPicture(ControlId control, const Picture& picture) override;
  void print(std::string_view text, double x, double y, const Font& font) override;
  void clearPrinted() override;

  // Controls are areas the window draws and hit-tests, but for real push
  // buttons; tooltips through one tooltip window.
  ControlId addControl(const ControlDesc& desc) override;
  void setControlBox(ControlId control, const Twips& box) override;
  void setControlText(ControlId control, std::string_view text) override;
  void setControlVisible(ControlId control, bool visible) override;
  void setControlToolTip(ControlId control, std::string_view tip) override;

 private:
  struct Child {
    ControlKind kind = ControlKind::Label;
    Twips box;
    Segment line;
    std::wstring text;
    HFONT font = nullptr;  // owned by the resources
    Rgb fore;
    Rgb back;
    bool transparent = true;
    int lineWidth = 1;
    bool visible = true;
    const Bitmap* picture = nullptr;
    WindowHandle button;  // Button only
    std::optional<std::wstring> tip;
  };
  struct Printed {
    std::wstring text;
    double x, y;
    HFONT font;
  };

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void onMouse(UINT message, WPARAM wParam, LPARAM lParam);
  void paint();
  void draw(HDC dc, const RECT& client) const;
  void drawPicture(HDC dc, const Bitmap* bitmap, int x, int y) const;
  void drawChild(HDC dc, const Child& c) const;
  ControlId hitTest(POINT client) const;
  Child* child(ControlId control);
  void applyVisibility();
  ShapeResult applyShape();
  void placeChild(ControlId id, Child& c);
  void syncTip(ControlId id, const Child& c, bool fresh);
  void invalidate();

  WindowId id_;
  Frame frame_;
  Twips twips_;
  Visibility visibility_;
  Rgb back_;
  const Bitmap* picture_ = nullptr;
  std::vector<Printed> printed_;
  std::optional<std::vector<PixelRect>> shape_;
  std::optional<ControlId> grab_;  // the control holding a pressed button
  const Resources& resources_;
  WindowBatch& batch_;
  InputSink& listener_;
  // Declared in this order so children and the tip window go before the
  // window that parents them.
  WindowHandle hwnd_;
  WindowHandle tooltip_;
  std::map<ControlId, Child> children_;
  ControlId nextControl_ = 1;
};

}  // namespace kelvory::win32
