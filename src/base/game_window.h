#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "platform/form.h"

namespace kelvory {

class Scene;

// "Picture1(index)": the source the index-th picture of a window's Picture1
// array is known by. Written without temporaries: the float and the angler
// change their pictures every step.
std::string PictureArraySource(int index);

// Base of every window of the toy: its form, its timers, and the knowledge of
// whether it is still loaded. Unloading closes the form and the timers at
// once; the object itself lives on until no handler is running, so code of
// the window still suspended in a wait can find out it was unloaded and stop.
class GameWindow {
 public:
  GameWindow(Scene& scene, const WindowDesc& desc);
  virtual ~GameWindow() = default;
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  bool alive() const { return form.open(); }
  void close();

  Scene& scene;
  Form form;

 protected:
  Timer& addTimer(std::string_view name, int interval, bool enabled, std::function<void()> handler);

 private:
  std::deque<Timer> timers_;
};

}  // namespace kelvory
