#pragma once

#include <memory>

#include "app/random.h"
#include "platform/desktop.h"

namespace kelvory {

// The whole toy: every window and all shared state of one running program.
// Build it on a desktop and a generator, call start(), then let the desktop
// run (desktop.waitUntil(Desktop::kNever, ...)).
class Scene final : public InputSink {
 public:
  Scene(Desktop& desktop, Random& random);
  ~Scene() override;
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // The angler window's load routine: builds the scene on the taskbar.
  void start();

  void mouseDown(WindowId, ControlId, MouseButton) override;
  void mouseUp(WindowId, ControlId, MouseButton) override;
  void mouseMove(WindowId, ControlId) override;
  void clicked(WindowId, ControlId) override;
  void closeRequested(WindowId) override;
  void sessionEnding() override;
  void screenChanged() override;

 private:
  Desktop& desktop_;
  Random& random_;
};

}  // namespace kelvory
