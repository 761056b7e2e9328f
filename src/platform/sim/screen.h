#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace kelvory::sim {

struct PrintedText {
  std::string text;
  double x = 0, y = 0;
  Font font;
};

struct ShapeInfo {
  std::string table;
  int index = 0;
  std::size_t rectCount = 0;
};

struct ControlState {
  ControlId id = 0;
  ControlDesc created;  // what the game asked for
  Twips geometry;
  Segment line;
  std::string text;
  bool visible = true;
  std::string toolTip;
  Rgb back;
  std::string picture;  // the source of the last picture, "" for none
  const Bitmap* bitmap = nullptr;
  // Lines and rectangles are drawn on the surface and take no input.
  bool takesInput() const {
    return visible && created.kind != ControlKind::Line && created.kind != ControlKind::Rectangle;
  }
};

// One window as the simulated screen shows it.
struct WindowState {
  WindowId id = 0;
  WindowDesc created;  // what the game asked for; its caption follows setText
  Twips geometry;
  bool visible = false;
  bool modal = false;
  // Whether the shared core lets it take input: not while another window
  // is the innermost modal one.
  bool enabled = true;
  Rgb back;
  std::string picture;  // the surface's picture source
  const Bitmap* bitmap = nullptr;
  std::optional<ShapeInfo> shape;
  std::vector<PrintedText> texts;
  std::vector<ControlState> controls;

  // name "" or "surface" is the surface (nullptr then).
  const ControlState* control(std::string_view name) const;
  const ControlState* control(ControlId id) const;
  // "" for the surface.
  const std::string& controlName(ControlId id) const;
};

bool IsSurfaceName(std::string_view name);

// What the simulated window system knows beyond the shared core's handles:
// which windows are on it, in which order, and how it answers an outline.
// The recording windows enter it when made and leave it when the game lets
// go of them.
class Screen {
 public:
  void add(WindowState& window);  // in front of the others
  void remove(const WindowState& window);
  // False when the window is there already.
  bool toBack(const WindowState& window);
  bool toFront(const WindowState& window);

  // The latest window of that name.
  const WindowState* find(std::string_view name) const;
  const WindowState* window(WindowId id) const;
  std::vector<const WindowState*> all() const;       // oldest first
  std::vector<const WindowState*> stacking() const;  // front to back
  // "" once the window is gone.
  const std::string& nameOf(WindowId id) const;

  // From now on every outline is answered with this result.
  void failShapesWith(ShapeResult result) { shapeResult_ = result; }
  ShapeResult shapeResult() const { return shapeResult_; }

 private:
  std::vector<WindowState*> zOrder_;  // back to front
  ShapeResult shapeResult_ = ShapeResult::Ok;
};

}  // namespace kelvory::sim
