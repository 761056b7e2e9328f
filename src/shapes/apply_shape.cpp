#include "shapes/apply_shape.h"

#include "base/scene.h"
#include "platform/form.h"

namespace kelvory {
namespace {

void Apply(Scene& scene, Form& window, const Shape& shape) {
  switch (window.setShape(shape)) {
    case ShapeResult::Ok:
      return;
    case ShapeResult::RegionFailed:
      scene.desktop.messageBox("リージョンデータの読み込みに失敗しました。", MsgButtons::Ok,
                               MsgIcon::None);
      break;
    case ShapeResult::WindowRefused:
      scene.desktop.messageBox("ウィンドウの整形に失敗しました。", MsgButtons::Ok, MsgIcon::None);
      break;
  }
  // The program cannot go on, but the catches need not be lost with it.
  scene.catches.SaveCatchCounts();
  scene.end();
}

}  // namespace

void ApplyShape(Scene& scene, int index, Form& window) {
  Apply(scene, window,
        Shape{scene.shapes[static_cast<std::size_t>(index)].rectangles(), "main", index});
}

void ApplyBalloonShape(Scene& scene, int index, Form& window) {
  if (!scene.balloonShapes) scene.balloonShapes = BuildBalloonShapes();
  Apply(scene, window,
        Shape{(*scene.balloonShapes)[static_cast<std::size_t>(index)].rectangles(), "balloon",
              index});
}

}  // namespace kelvory
