#include "records/marker.h"

#include "base/scene.h"
#include "base/shape_table.h"
#include "shapes/apply_shape.h"
#include "shapes/size_setters.h"

namespace kelvory {

std::unique_ptr<GameWindow> MakeMarker(Scene& scene) {
  auto marker = std::make_unique<GameWindow>(
      scene, WindowDesc{.name = "frmV", .frame = Frame::None, .back = kBlue});
  SizeTo14x10(marker->form);
  ApplyShape(scene, shape::kMarker, marker->form);
  marker->form.setBackColor(kBlue);
  return marker;
}

}  // namespace kelvory
