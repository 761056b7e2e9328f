#include "fishing/landing.h"

#include "app/angler.h"
#include "app/scene.h"
#include "fish/catalogue.h"
#include "fish/fish_window.h"
#include "fishing/wait.h"
#include "float/float_window.h"
#include "panel/control_panel.h"
#include "shapes/apply_shape.h"
#include "shapes/shape_table.h"

namespace kelvory {

void LandCatch(Scene& scene, bool hooked) {
  FishingState& st = scene.st;
  st.SequenceBusy = true;
  scene.rnd.reseed(scene.desktop.now());
  AnglerWindow& man = scene.frmMan();
  man.Timer1.setEnabled(false);
  ApplyShape(scene, shape::Angler(6), man.form);
  man.setFrame(6);
  if (GameWindow* marker = scene.frmVIfLoaded()) marker->form.hide();
  if (FloatWindow* uki = scene.frmUkiIfLoaded()) uki->Timer1.setEnabled(false);

  for (int i = 5; i >= 0; --i) {
    man.setFrame(i);
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
