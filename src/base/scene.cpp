#include "base/scene.h"

#include <cstdlib>

namespace kelvory {

Scene::Scene(Desktop& d, Random& random)
    : desktop(d), rnd(random), shapes(BuildShapeTable()), catches(d) {
  desktop.setInputSink(this);
}

Scene::~Scene() = default;

void Scene::detach() {
  desktop.setInputSink(nullptr);
  graveyard_.clear();
}

Scene::Entry::Entry(Scene& scene) : scene_(scene) {
  // Nothing of the game is on the stack at depth 0, so windows unloaded
  // earlier can go now.
  if (scene_.depth_ == 0) scene_.graveyard_.clear();
  ++scene_.depth_;
}

Scene::Entry::~Entry() { --scene_.depth_; }

double Scene::screenWidthTwips() const {
  const ScreenMetrics m = desktop.metrics();
  return static_cast<double>(m.widthPx) * m.twipsPerPixel;
}

double Scene::screenHeightTwips() const {
  const ScreenMetrics m = desktop.metrics();
  return static_cast<double>(m.heightPx) * m.twipsPerPixel;
}

double Scene::taskbarTopTwips() const {
  const ScreenMetrics m = desktop.metrics();
  return static_cast<double>(m.workAreaBottomPx) * m.twipsPerPixel;
}

void Scene::end() {
  desktop.endProgram();
  // Every desktop's endProgram leaves for good; the compiler cannot see
  // through the virtual call.
  std::abort();
}

}  // namespace kelvory
