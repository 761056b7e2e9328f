#pragma once

#include <memory>
#include <string_view>

#include "platform/desktop.h"
#include "platform/wayland/wl_host.h"
#include "platform/wayland/wl_window.h"

namespace kelvory::wl {

// A message box captioned "Kelvory": the text and its buttons in a dialog
// window of its own. Enter answers as the first button, Escape and the
// close box as the last.
class MessageBox final : private InputSink {
 public:
  MessageBox(Host& host, std::string_view text, MsgButtons buttons, MsgIcon icon);
  bool answered() const { return answered_; }
  MsgAnswer answer() const { return answer_; }

 private:
  void give(bool yes);
  void mouseDown(WindowId, ControlId, MouseButton) override {}
  void mouseUp(WindowId, ControlId, MouseButton) override {}
  void mouseMove(WindowId, ControlId) override {}
  void clicked(WindowId, ControlId control) override;
  void closeRequested(WindowId) override { give(false); }
  void sessionEnding() override {}
  void screenChanged() override {}

  MsgButtons buttons_;
  ControlId yes_ = 0;
  bool answered_ = false;
  MsgAnswer answer_ = MsgAnswer::Ok;
  std::unique_ptr<WlWindow> window_;
};

}  // namespace kelvory::wl
