#include "app/sea.h"

namespace kelvory {

std::unique_ptr<GameWindow> MakeSea(Scene& scene) {
  WindowSpec spec;
  spec.name = "frmSea";
  spec.frame = Frame::None;
  spec.back = kBlue;
  return std::make_unique<GameWindow>(scene, spec);
}

}  // namespace kelvory
