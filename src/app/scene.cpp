#include "app/scene.h"

namespace kelvory {

Scene::Scene(Desktop& desktop, Random& random) : desktop_(desktop), random_(random) {
  desktop_.setInputSink(this);
}

Scene::~Scene() { desktop_.setInputSink(nullptr); }

void Scene::start() {}
void Scene::mouseDown(WindowId, ControlId, MouseButton) {}
void Scene::mouseUp(WindowId, ControlId, MouseButton) {}
void Scene::mouseMove(WindowId, ControlId) {}
void Scene::clicked(WindowId, ControlId) {}
void Scene::closeRequested(WindowId) {}
void Scene::sessionEnding() {}
void Scene::screenChanged() {}

}  // namespace kelvory
