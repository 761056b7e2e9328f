#include "records/certificate.h"

#include "assets/pictures.h"
#include "base/scene.h"

namespace kelvory {
namespace {

WindowDesc CertificateDesc(Scene& scene) {
  const double width = 3000, height = 2040;
  // Centred on the screen: the certificate is worth a look.
  return {.name = "FrmComplete",
          .frame = Frame::Dialog,
          .caption = "KVY",
          .icon = true,
          .geometry = {(scene.screenWidthTwips() - width) / 2,
                       (scene.screenHeightTwips() - height) / 2, width, height}};
}

}  // namespace

CertificateWindow::CertificateWindow(Scene& s) : GameWindow(s, CertificateDesc(s)) {
  form.setPicture({&assets::certificate(), "Picture"});
}

}  // namespace kelvory
