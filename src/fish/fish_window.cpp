#include "fish/fish_window.h"

#include <algorithm>
#include <string>

#include "assets/pictures.h"
#include "balloon/balloon.h"
#include "base/catalogue.h"
#include "base/scene.h"
#include "base/shape_table.h"
#include "base/vbmath.h"
#include "base/wait.h"
#include "float/float_window.h"
#include "records/popup_menu.h"
#include "shapes/apply_shape.h"
#include "shapes/size_setters.h"

namespace kelvory {
namespace {

WindowDesc FishDesc(Scene& scene) {
  // Starts under the water line, where nothing of it shows.
  return {.name = "frmFish",
          .frame = Frame::None,
          .back = Rgb{255, 0, 180},
          .geometry = {0, scene.frmSea().form.top(), 540, 540}};
}

// The angler's middle plus 100 twips: where the fish stands.
double FishLeft(Scene& scene) {
  const Form& man = scene.frmMan().form;
  return man.left() + Half(man.width()) + 100;
}

// The float splashes with one of its two spray frames.
void Splash(Scene& scene, FloatWindow& uki, bool first) {
  ApplyShape(scene, first ? shape::kSpray : shape::kSprayHigh, uki.form);
  uki.setFrame(first ? 4 : 5);
}

}  // namespace

FishWindow::FishWindow(Scene& s)
    : GameWindow(s, FishDesc(s)), Timer1(addTimer("Timer1", 50, true, [this] { wriggle(); })) {
  SizeTo36x36(form);
  form.setLeft(FishLeft(scene));
  FishBaseLeft = Round(form.left());
}

void FishWindow::wriggle() { form.setLeft(FishBaseLeft + Int(scene.rnd.next() * 50.0 - 50.0)); }

void FishWindow::getFish(std::int32_t fishIndex, bool hooked) {
  form.setLeft(FishLeft(scene));
  if (!hooked) {
    scene.unloadFloat();
    form.setLeft(form.left() - 150);
    ApplyShape(scene, shape::kEmptyHook, form);
    form.setPicture({&assets::emptyHook(), "Picture1(99)"});
    Timer1.setEnabled(false);
  } else {
    dragFloat();
    if (!alive()) return;
    ApplyShape(scene, shape::Fish(fishIndex), form);
    form.setPicture({&assets::fish(fishIndex), PictureArraySource(fishIndex)});
    count(fishIndex);
  }

  form.show();
  form.sendToBack();
  rise();
  if (!alive()) return;

  if (hooked) {
    ShowBalloon(scene, FishName(fishIndex), form.left() + Half(form.width()),
                form.top() - Half(form.height()), BalloonSide::Right);
    WaitMs(scene, 3000);
    scene.unloadBalloon();
  } else {
    WaitMs(scene, 2000);
  }
  scene.unloadFish();
}

void FishWindow::dragFloat() {
  FloatWindow* uki = scene.frmUkiIfLoaded();
  if (!uki) return;
  const double f = uki->form.left();
  for (int step = 0; step < 14; ++step) {
    const double x = f - 10.0 * step;
    uki->form.setLeft(x + Int(scene.rnd.next() * 20.0 - 20.0));
    scene.desktop.processPending();
    if (!uki->alive() || !alive()) return;
    Splash(scene, *uki, Round(x) % 2 == 0);
    WaitMs(scene, 20);
    if (!uki->alive() || !alive()) return;
  }
}

void FishWindow::count(std::int32_t fishIndex) {
  CatchStore& store = scene.catches;
  store.Add(fishIndex);
  // Saved at once, so a catch survives however the program ends later.
  store.SaveLanding();
  // Once the file holds it, every later catch would only write it again.
  if (store.Complete() && !store.CompleteSaved) {
    store.CompleteSaved = store.SaveComplete();
    scene.frmMenu().setCompleteVisible(true);
  }
}

void FishWindow::rise() {
  const double seaTop = scene.frmSea().form.top();
  FloatWindow* uki = scene.frmUkiIfLoaded();
  const double f = uki ? uki->form.left() : 0;
  int n = 0;
  for (double y = seaTop; y >= seaTop - form.height() + 30; y -= 8) {
    if (n > 60) {
      scene.unloadFloat();
    } else if ((uki = scene.frmUkiIfLoaded())) {
      uki->form.setLeft(f + Int(scene.rnd.next() * 20.0 - 20.0));
      Splash(scene, *uki, n % 2 == 0);
      ++n;
    }
    form.setTop(y);
    WaitMs(scene, 10);
    if (!alive()) return;
  }
}

}  // namespace kelvory
