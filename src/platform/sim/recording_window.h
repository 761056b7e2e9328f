#pragma once

#include <string>
#include <string_view>

#include "platform/core/native_window.h"
#include "platform/sim/recorder.h"
#include "platform/sim/screen.h"

namespace kelvory::sim {

// The simulated desktop's native window: it keeps what the game set as
// data, on the simulated screen, and writes every change to the trace (see
// trace.h for its lines). The shared core decides everything else.
class RecordingWindow final : public NativeWindow {
 public:
  RecordingWindow(WindowId id, const WindowDesc& desc, Screen& screen, Recorder& trace);
  ~RecordingWindow() override;
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  const WindowState& state() const { return state_; }

  void setTwips(const Twips& geometry) override;
  void relayout(bool) override {}
  void setWanted(bool shown, bool modal) override;
  void setCovered(bool) override {}  // no other program's window comes in front
  void allowInput(bool allowed) override { state_.enabled = allowed; }
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

 private:
  ControlState* control(ControlId id);
  TraceLine line(std::string_view ev) const {
    TraceLine l = trace_.line(ev);
    l.str("win", state_.created.name);
    return l;
  }
  void traceMove(std::string_view control, const Twips& g);

  WindowState state_;
  Screen& screen_;
  Recorder& trace_;
};

}  // namespace kelvory::sim
