#include "fishing/landing.h"

#include "base/catalogue.h"
#include "base/scene.h"
#include "base/shape_table.h"
#include "base/wait.h"
#include "fish/fish_window.h"
#include "float/float_window.h"
#include "panel/control_panel.h"
#include "shapes/apply_shape.h"

namespace kelvory {

void LandCatch(Scene& scene, bool hooked) {
  FishingState& st = scene.st;
  st.SequenceBusy = true;
  scene.rnd.reseed(scene.desktop.now());
  GameWindow& man = scene.frmMan();
  scene.shakeRod(false);
  ApplyShape(scene, shape::Angler(6), man.form);
  scene.setAnglerFrame(6);
  if (GameWindow* marker = scene.frmVIfLoaded()) marker->form.hide();
  if (FloatWindow* uki = scene.frmUkiIfLoaded()) uki->Timer1.setEnabled(false);

  for (int i = 5; i >= 0; --i) {
    scene.setAnglerFrame(i);
    ApplyShape(scene, shape::Angler(i), man.form);
    if (i == 3) {
      const std::int32_t k = ChooseFish(st.FishSpan, st.FishPosition, scene.rnd);
      scene.frmFish().getFish(k, hooked);
    }
    WaitMs(scene, 150);
  }

  scene.frmCon().Picture1.setBackColor(kBlue);
  st.LineOut = false;
  st.SequenceBusy = false;
  scene.unloadFloat();
  st.resetMeter();
  st.Reeling = false;
}

}  // namespace kelvory
