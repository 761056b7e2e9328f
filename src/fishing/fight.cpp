#include "fishing/fight.h"

#include "balloon/balloon.h"
#include "base/scene.h"
#include "base/shape_table.h"
#include "base/vbmath.h"
#include "base/wait.h"
#include "fishing/landing.h"
#include "float/float_window.h"
#include "panel/control_panel.h"
#include "shapes/apply_shape.h"
#include "shapes/size_setters.h"

namespace kelvory {
namespace {

// The float overlaps the angler by 100 twips or more: the fish is in.
bool AtAngler(Scene& scene, const Form& uki) {
  const Form& man = scene.frmMan().form;
  return static_cast<float>(man.left() + man.width() - 100) >= static_cast<float>(uki.left());
}

void CentreMarker(Scene& scene, const Form& uki) {
  Form& marker = scene.frmV().form;
  marker.setLeft(uki.left() + Half(uki.width() - marker.width()));
}

void SetFishColour(Scene& scene, Rgb colour) {
  Control& button = scene.frmCon().Picture1;
  button.setBackColor(colour);
  scene.frmV().form.setBackColor(button.backColor());
}

// One of the ten half-steps of a pass: reel, pull, bob, thrash. Returns
// false when the fish was landed (the fight is over).
bool HalfStep(Scene& scene, FloatWindow& uki, int frame) {
  FishingState& st = scene.st;
  Control& button = scene.frmCon().Picture1;
  Form& f = uki.form;
  if (button.backColor() == kBlue && st.ButtonDown) {
    const double r = scene.rnd.next();
    f.setLeft(Int(r * 12.0 - 12.0) + (f.left() - 24));
    CentreMarker(scene, f);
    if (AtAngler(scene, f)) {
      LandCatch(scene, true);
      return false;
    }
  }
  if (button.backColor() == kRed) {
    const double r = scene.rnd.next();
    f.setLeft((f.left() + 6) - Int(r * 3.0 - 3.0));
    const double limit = scene.screenWidthTwips() - 200;
    if (limit < f.left()) f.setLeft(limit);
    CentreMarker(scene, f);
  }
  const double r = scene.rnd.next();
  f.setTop(Int(r * 8.0 - 4.0) + st.FightTop);
  ApplyShape(scene, shape::FloatFrame(frame), f);
  uki.setFrame(frame);
  scene.desktop.mark(Moment::FightHalfStep);
  WaitMs(scene, 75);
  return true;
}

void LoseFish(Scene& scene, FloatWindow& uki) {
  scene.frmCon().Picture1.setBackColor(kBlue);
  GameWindow& man = scene.frmMan();
  scene.shakeRod(false);
  Form& f = uki.form;
  f.setLeft(f.left() + Half(f.width()));
  ApplyShape(scene, shape::kFloatUpright, f);
  uki.setFrame(0);
  f.setHeight(315);
  f.setWidth(75);
  uki.Timer1.setEnabled(true);
  ShowBalloon(scene, "バレタ！！", man.form.left() + Half(man.form.width()), man.form.top(),
              BalloonSide::Right);
  scene.frmV().form.hide();
  scene.setAnglerFrame(5);
  ApplyShape(scene, shape::Angler(5), man.form);
  WaitMs(scene, 1500);
  scene.st.SequenceBusy = false;
  scene.unloadBalloon();
}

}  // namespace

void FightFish(Scene& scene) {
  FishingState& st = scene.st;
  FloatWindow* uki = scene.frmUkiIfLoaded();
  if (!uki) {
    st.SequenceBusy = false;
    return;
  }
  Form& f = uki->form;
  GameWindow& sea = scene.frmSea();
  GameWindow& man = scene.frmMan();

  st.FishSpan = Round(sea.form.width() * 0.9);
  st.FishPosition = Round(f.left());
  uki->ukihikuhiku(scene.TaskbarTop - sea.form.height(), true);
  if (!uki->alive()) return;
  // A hooked float does not bob: a tick now would lift the thrashing float
  // out of the water during "HIT!!!".
  uki->Timer1.setEnabled(false);
  SizeTo31x14(f);
  ApplyShape(scene, shape::kSpray, f);
  uki->setFrame(4);
  f.move(f.left() - Half(f.width()), scene.TaskbarTop - f.height());
  st.FightTop = Round(f.top());
  if (AtAngler(scene, f)) {
    LandCatch(scene, true);
    return;
  }

  scene.shakeRod(true);
  ShowBalloon(scene, "HIT!!!", man.form.left() + Half(man.form.width()), man.form.top(),
              BalloonSide::Right);
  Form& marker = scene.frmV().form;
  marker.setLeft(f.left() + Half(f.width() - marker.width()));
  marker.setTop(f.top() - marker.height());
  marker.setBackColor(kBlue);
  marker.show();
  WaitMs(scene, 500);
  scene.unloadBalloon();
  if (!uki->alive()) return;

  Control& button = scene.frmCon().Picture1;
  while (st.Reeling) {
    ++st.ColourTicks;
    const bool blue = button.backColor() == kBlue;
    const bool red = button.backColor() == kRed;
    if ((blue && st.ButtonUp) || (red && !st.ButtonUp)) {
      st.Reeling = false;
      continue;
    }
    // Every kColourTicks ticks the button may change colour: from blue to
    // red one time in kToRedOdds, back to blue one time in kToBlueOdds.
    constexpr std::int32_t kColourTicks = 2;
    constexpr double kToRedOdds = 4.0;
    constexpr double kToBlueOdds = 2.0;
    if (st.ColourTicks >= kColourTicks) {
      if (blue) {
        if (Int(scene.rnd.next() * kToRedOdds) == 1) SetFishColour(scene, kRed);
      } else if (red) {
        if (Int(scene.rnd.next() * kToBlueOdds) == 1) SetFishColour(scene, kBlue);
      }
      st.ColourTicks = 0;
    }
    scene.desktop.processPending();
    for (int n = 1; n <= 5; ++n) {
      scene.desktop.processPending();
      if (!uki->alive()) return;
      if (!HalfStep(scene, *uki, 4) || !uki->alive()) return;
      if (!HalfStep(scene, *uki, 5) || !uki->alive()) return;
    }
  }
  LoseFish(scene, *uki);
}

}  // namespace kelvory
