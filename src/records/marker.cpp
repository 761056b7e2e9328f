#include "records/marker.h"

#include "app/scene.h"
#include "shapes/apply_shape.h"
#include "shapes/size_setters.h"

namespace kelvory {

std::unique_ptr<GameWindow> MakeMarker(Scene& scene) {
  WindowDesc desc;
  desc.name = "frmV";
  desc.frame = Frame::None;
  desc.back = kBlue;
  auto marker = std::make_unique<GameWindow>(scene, desc);
  SizeTo14x10(marker->form);
  ApplyShape(scene, 27, marker->form);
  marker->form.setBackColor(kBlue);
  return marker;
}

}  // namespace kelvory
