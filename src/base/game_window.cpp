#include "base/game_window.h"

#include <charconv>

#include "base/scene.h"

namespace kelvory {

std::string PictureArraySource(int index) {
  constexpr std::string_view kArray = "Picture1(";
  char text[32] = {};
  kArray.copy(text, kArray.size());
  char* end = std::to_chars(text + kArray.size(), text + sizeof text - 1, index).ptr;
  *end++ = ')';
  return std::string(text, end);
}

GameWindow::GameWindow(Scene& owner, const WindowDesc& desc)
    : scene(owner), form(owner.desktop, desc) {}

void GameWindow::close() {
  for (Timer& timer : timers_) timer.close();
  form.close();
}

Timer& GameWindow::addTimer(std::string_view name, int interval, bool enabled,
                            std::function<void()> handler) {
  return timers_.emplace_back(form, name, interval, enabled, [this, handler = std::move(handler)] {
    Scene::Entry entry(scene);
    handler();
  });
}

}  // namespace kelvory
