#include "records/certificate.h"

#include "app/scene.h"
#include "assets/pictures.h"

namespace kelvory {
namespace {

WindowDesc CertificateDesc(Scene& scene) {
  WindowDesc desc;
  desc.name = "FrmComplete";
  desc.frame = Frame::Dialog;
  desc.caption = "KVY";
  desc.icon = true;
  const ScreenMetrics m = scene.desktop.metrics();
  const double width = 3000, height = 2040;
  // Centred on the screen: the certificate is worth a look.
  desc.geometry = {(scene.screenWidthTwips() - width) / 2,
                   (static_cast<double>(m.heightPx) * m.twipsPerPixel - height) / 2, width, height};
  return desc;
}

}  // namespace

CertificateWindow::CertificateWindow(Scene& s) : GameWindow(s, CertificateDesc(s)) {
  form.setPicture({&assets::certificate(), "Picture"});
}

}  // namespace kelvory
