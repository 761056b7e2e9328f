#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_resources.h"

namespace kelvory::win32 {

// Where a window sends what happens to it; the desktop decides what reaches
// the game.
class WindowListener {
 public:
  virtual void pressed(WindowId, ControlId, MouseButton) = 0;
  virtual void released(WindowId, ControlId, MouseButton) = 0;
  virtual void moved(WindowId, ControlId) = 0;
  virtual void clicked(WindowId, ControlId) = 0;
  virtual void closeRequested(WindowId) = 0;
  virtual void sessionEnding() = 0;
  virtual void screenChanged() = 0;

 protected:
  ~WindowListener() = default;
};

// One top-level window of the game. It keeps its geometry in twips and lays
// itself out in pixels whenever that or the screen's scale changes. Every
// child but a button is drawn by the window itself.
class DeskWindow {
 public:
  DeskWindow(WindowId id, const WindowDesc& desc, const Resources& resources,
             WindowListener& listener, HICON icon);
  ~DeskWindow();
  DeskWindow(const DeskWindow&) = delete;
  DeskWindow& operator=(const DeskWindow&) = delete;

  // Once at start-up, before the first window.
  static bool registerClass();
  // What a dialog's frame and caption add to its client area, device pixels.
  static SIZE dialogFrame();

  HWND hwnd() const { return hwnd_.get(); }
  WindowId id() const { return id_; }
  Frame frame() const { return frame_; }

  void setTwips(const Twips& geometry);
  // rescaled: the screen's scale changed, so the outline is cut again.
  void relayout(bool rescaled = false);
  // Visibility as the game wants it; a window without area stays hidden.
  void setWanted(bool shown);
  // A fullscreen window is in front: figures hide until it goes.
  void setCovered(bool covered);
  bool wanted() const { return wanted_; }
  // Base-scale pixel rectangles; scaled with the pictures.
  ShapeResult setShape(std::vector<PixelRect> rects);

  void setBack(ControlId control, Rgb back);
  void setPicture(ControlId control, const Bitmap* bitmap);
  void print(std::string_view text, double x, double y, HFONT font);
  void clearPrinted();

  ControlId addControl(const ControlDesc& desc);
  void setControlBox(ControlId control, const Twips& box);
  void setControlText(ControlId control, std::string_view text);
  void setControlVisible(ControlId control, bool visible);
  void setControlToolTip(ControlId control, std::string_view tip);

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
  void invalidate() const;

  WindowId id_;
  Frame frame_;
  Twips twips_;
  bool wanted_ = false;
  bool covered_ = false;
  Rgb back_;
  const Bitmap* picture_ = nullptr;
  std::vector<Printed> printed_;
  std::optional<std::vector<PixelRect>> shape_;
  std::optional<ControlId> grab_;  // the control holding a pressed button
  const Resources& resources_;
  WindowListener& listener_;
  // Declared in this order so children and the tip window go before the
  // window that parents them.
  WindowHandle hwnd_;
  WindowHandle tooltip_;
  std::map<ControlId, Child> children_;
  ControlId nextControl_ = 1;
};

}  // namespace kelvory::win32
