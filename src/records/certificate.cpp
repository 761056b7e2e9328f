#include "records/certificate.h"

#include "app/scene.h"
#include "assets/pictures.h"

namespace kelvory {
namespace {

WindowSpec CertificateSpec(Scene& scene) {
  WindowSpec spec;
  spec.name = "FrmComplete";
  spec.frame = Frame::Dialog;
  spec.caption = "KVY";
  spec.icon = true;
  const ScreenMetrics m = scene.desktop.metrics();
  const double width = 3000, height = 2040;
  // Centred on the screen: the certificate is worth a look.
  spec.geometry = {(scene.screenWidthTwips() - width) / 2,
                   (static_cast<double>(m.heightPx) * m.twipsPerPixel - height) / 2, width, height};
  return spec;
}

}  // namespace

CertificateWindow::CertificateWindow(Scene& s) : GameWindow(s, CertificateSpec(s)) {
  form.setPicture({&assets::certificate(), "Picture"});
}

}  // namespace kelvory
