#include "app/sea.h"

namespace kelvory {

std::unique_ptr<GameWindow> MakeSea(Scene& scene) {
  return std::make_unique<GameWindow>(
      scene, WindowDesc{.name = "frmSea", .frame = Frame::None, .back = kBlue});
}

}  // namespace kelvory
