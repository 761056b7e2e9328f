#pragma once

#include "base/game_window.h"

namespace kelvory {

// FrmComplete: the certificate for a complete collection. Modeless; the
// user closes it with its close box.
class CertificateWindow final : public GameWindow {
 public:
  explicit CertificateWindow(Scene& scene);
};

}  // namespace kelvory
