#include "app/sea.h"

namespace kelvory {

std::unique_ptr<GameWindow> MakeSea(Scene& scene) {
  WindowDesc desc;
  desc.name = "frmSea";
  desc.frame = Frame::None;
  desc.back = kBlue;
  return std::make_unique<GameWindow>(scene, desc);
}

}  // namespace kelvory
