#pragma once

#include <string_view>

#include "platform/types.h"

namespace kelvory {

// Whether a window is on screen: the game's wish, and a fullscreen window of
// another program in front, which the figures step aside for and dialogs
// do not. A window without area cannot be shown at all.
struct Visibility {
  bool wanted = false;
  bool covered = false;

  bool onScreen(Frame frame, bool hasArea) const {
    const bool stepAside = covered && frame != Frame::Dialog;
    return frame != Frame::Hidden && wanted && !stepAside && hasArea;
  }
};

// One top-level window as a desktop's native code makes it. The shared
// desktop keeps the handles, the modality and the game's state; a native
// window only draws, lays itself out and reports the mouse to the InputSink
// it was made with. Geometry is in twips; it rounds to pixels itself.
class NativeWindow {
 public:
  virtual ~NativeWindow() = default;

  virtual void setTwips(const Twips& geometry) = 0;
  // rescaled: the screen's scale changed, so pictures and outline follow.
  virtual void relayout(bool rescaled) = 0;
  // modal: no other window of ours takes input while this one shows.
  virtual void setWanted(bool shown, bool modal) = 0;
  virtual void setCovered(bool covered) = 0;
  // Whether the window takes input now that the innermost modal window has
  // changed; a desktop whose own modality blocks the others ignores it.
  virtual void allowInput(bool allowed) = 0;
  virtual void sendToBack() = 0;
  virtual void bringToFront() = 0;
  // The game lets go of it: it leaves the screen and lets go of the mouse,
  // though a handler of it may still be running.
  virtual void retire() = 0;
  // Base-scale pixel rectangles; scaled with the pictures at every layout.
  // Only for this call: the rectangles are copied if kept.
  virtual ShapeResult setShape(const Shape& shape) = 0;

  virtual void setBack(ControlId control, Rgb back) = 0;
  virtual void setPicture(ControlId control, const Picture& picture) = 0;
  virtual void print(std::string_view text, double x, double y, const Font& font) = 0;
  virtual void clearPrinted() = 0;

  virtual ControlId addControl(const ControlDesc& desc) = 0;
  virtual void setControlBox(ControlId control, const Twips& box) = 0;
  virtual void setControlText(ControlId control, std::string_view text) = 0;
  virtual void setControlVisible(ControlId control, bool visible) = 0;
  virtual void setControlToolTip(ControlId control, std::string_view tip) = 0;
};

}  // namespace kelvory
