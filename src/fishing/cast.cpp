#include "fishing/cast.h"

#include "base/scene.h"
#include "base/vbmath.h"
#include "base/wait.h"
#include "float/float_window.h"

namespace kelvory {
namespace {

// The Top at which the float, at its present height, rests on the sea.
std::int32_t RestingTop(Scene& scene, const Form& uki) {
  return Round(scene.taskbarTopTwips() - uki.height() - scene.frmSea().form.height());
}

}  // namespace

void CastFloat(Scene& scene, int vx0, int vy0) {
  FishingState& st = scene.st;
  st.SequenceBusy = true;
  scene.rnd.reseed(scene.desktop.now());
  st.FloatVY = static_cast<float>(vy0);
  st.FloatVX = static_cast<float>(vx0);

  FloatWindow& uki = scene.frmUki();
  uki.showFrame(1);
  uki.WaterTop = RestingTop(scene, uki.form);
  const Form& man = scene.frmMan().form;
  st.FloatX = Round(man.left() + man.width());
  st.FloatY = Round(man.top() - uki.form.height());
  st.FlightPhase = 0;

  while (FlyStep(scene, uki)) {
    WaitMs(scene, 10);
    if (!uki.alive()) return;
  }

  uki.showFrame(0);
  uki.form.setLeft(uki.form.left() + uki.form.width());
  uki.WaterTop = RestingTop(scene, uki.form);
  st.SequenceBusy = false;
}

bool FlyStep(Scene& scene, FloatWindow& w) {
  FishingState& st = scene.st;
  const std::int32_t h = Round(w.form.height());
  st.FloatVY += 1;
  if (st.FloatVY < -5 && st.FlightPhase == 0) {
    st.FlightPhase = 1;
    w.showFrame(1);
  }
  if (st.FloatVY >= -5 && st.FloatVY < 5 && st.FlightPhase == 1) {
    st.FlightPhase = 2;
    w.showFrame(2);
  }
  if (st.FloatVY > 5 && st.FlightPhase == 2) {
    st.FlightPhase = 3;
    w.showFrame(3);
  }
  st.FloatX = Round(st.FloatX + static_cast<double>(st.FloatVX));
  st.FloatY = Round(st.FloatY + static_cast<double>(st.FloatVY));

  const double seaHeight = scene.frmSea().form.height();
  if (st.FloatY + h >= scene.TaskbarTop - seaHeight) {
    st.FloatY = Round(scene.TaskbarTop - w.form.height() - seaHeight);
    w.form.setTop(st.FloatY);
    return false;
  }
  w.form.setLeft(st.FloatX);
  w.form.setTop(st.FloatY);
  scene.desktop.mark(Moment::FlightStep);
  scene.desktop.processPending();
  return true;
}

}  // namespace kelvory
