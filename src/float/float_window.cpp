#include "float/float_window.h"

#include <cmath>
#include <string>

#include "assets/pictures.h"
#include "base/scene.h"
#include "base/shape_table.h"
#include "base/vbmath.h"
#include "base/wait.h"
#include "shapes/apply_shape.h"
#include "shapes/size_setters.h"

namespace kelvory {
namespace {

WindowDesc FloatDesc() {
  // The flat float, its design picture.
  return {.name = "frmUki", .frame = Frame::None, .back = kBlack, .geometry = {0, 0, 315, 75}};
}

// The bound test of a counted loop: i has not passed end in the direction
// of step.
bool NotPast(std::int32_t i, std::int32_t end, std::int32_t step) {
  return step >= 0 ? i <= end : i >= end;
}

void SizeForFrame(int k, Form& form) {
  switch (k) {
    case 0:
      SizeTo5x21(form);
      break;
    case 1:
    case 3:
      SizeTo17x12(form);
      break;
    case 2:
      SizeTo21x5(form);
      break;
    default:
      SizeTo31x14(form);
      break;
  }
}

// Once the bite delay has run out, each tick draws one of kTickOutcomes
// outcomes: one is a bite, one a dip to half the float's height, one a dip to
// a third; every other one is a bob.
constexpr double kTickOutcomes = 30.0;
// A bob pulls the float kBobDepth twips below the water line, and up to
// kBobSpread twips more.
constexpr std::int32_t kBobDepth = 30;
constexpr double kBobSpread = 20.0;
constexpr std::int32_t kHalfDip = 2;
constexpr std::int32_t kThirdDip = 3;

}  // namespace

FloatWindow::FloatWindow(Scene& s)
    : GameWindow(s, FloatDesc()), Timer1(addTimer("Timer1", 200, false, [this] { tick(); })) {
  form.setPicture({&assets::floatFrame(2), "Picture1(2)"});
  BiteDelay = Int(scene.rnd.next() * 85.0 + 15.0);
  scene.rnd.reseed(scene.desktop.now());
}

void FloatWindow::setFrame(int k) {
  form.setPicture({&assets::floatFrame(k), PictureArraySource(k)});
}

void FloatWindow::showFrame(int k) {
  SizeForFrame(k, form);
  ApplyShape(scene, shape::FloatFrame(k), form);
  setFrame(k);
}

void FloatWindow::tick() {
  Timer1.setEnabled(false);
  FishingState& st = scene.st;
  st.FloatUnder = false;
  st.UnderTime = -1;
  st.StrikeFlag = false;

  enum class Event { Bob, HalfDip, ThirdDip, Bite } event = Event::Bob;
  if (BiteDelay > 0) {
    --BiteDelay;
  } else {
    switch (Int(scene.rnd.next() * kTickOutcomes)) {
      case 1:
        event = Event::Bite;
        break;
      case 2:
        event = Event::HalfDip;
        break;
      case 3:
        event = Event::ThirdDip;
        break;
      default:
        break;
    }
  }

  const double h = form.height();
  switch (event) {
    case Event::Bob: {
      ukihikuhiku(Int(scene.rnd.next() * kBobSpread) + WaterTop + kBobDepth, false);
      if (!alive()) return;
      if (Int(scene.rnd.next() * 3.0) == 1) {
        const float d = static_cast<float>(Int(scene.rnd.next() * 40.0 - 20.0));
        const Form& man = scene.frmMan().form;
        const float left = static_cast<float>(form.left());
        const float twoAnglers = 2.0f * static_cast<float>(man.width());
        // A drift that would carry the float too near the angler or off the
        // screen goes away from that edge instead. Only turning it round
        // would let a float that already lies beyond the edge walk on, onto
        // the angler and past him.
        if (left + d < static_cast<float>(man.left()) + twoAnglers) {
          form.setLeft(left + std::abs(d));
        } else if (left + d > static_cast<float>(scene.screenWidthTwips()) - twoAnglers) {
          form.setLeft(left - std::abs(d));
        } else {
          form.setLeft(left + d);
        }
      }
      break;
    }
    case Event::HalfDip:
      ukihikuhiku(WaterTop + Round(h) / kHalfDip, false);
      break;
    case Event::ThirdDip:
      ukihikuhiku(WaterTop + Round(h) / kThirdDip, false);
      break;
    case Event::Bite:
      bite(h);
      break;
  }
  if (alive()) Timer1.setEnabled(true);
}

void FloatWindow::bite(double h) {
  FishingState& st = scene.st;
  ukihikuhiku(WaterTop + h, true);
  if (!alive()) return;
  st.FloatUnder = true;
  const Desktop::Ms t0 = scene.desktop.now();
  // A press already waiting when the float goes under is handled before the
  // window opens, and so counts as too late.
  scene.desktop.processPending();
  if (st.StrikeFlag || !alive()) return;
  st.UnderTime = scene.desktop.now() - t0;
  scene.desktop.mark(Moment::Bite);
  scene.desktop.waitUntil(t0 + 300, [&] { return st.StrikeFlag || !alive(); });
  if (!st.StrikeFlag) {
    st.UnderTime = -1;
    scene.desktop.mark(Moment::StrikeWindowClosed);
  }
}

void FloatWindow::ukihikuhiku(double btop, bool b) {
  Timer1.setEnabled(false);
  const std::int32_t end = Round(btop);
  const std::int32_t step = IDiv(btop - form.top(), 8);
  for (std::int32_t i = Round(form.top()); NotPast(i, end, step); i += step) {
    if (IDiv(btop - form.top(), 8) == 0) break;
    form.setTop(i);
    WaitMs(scene, 10);
    if (!alive()) return;
  }
  Timer1.setEnabled(true);
  if (b) return;

  // The way back to the depth reached: the float already stands there, so
  // this settles at most a stray twip.
  const std::int32_t back = Round(form.top());
  const std::int32_t backStep = IDiv(form.top() - btop, 8);
  for (std::int32_t i = Round(btop); NotPast(i, back, backStep); i += backStep) {
    if (IDiv(btop - form.top(), 8) == 0) break;
    form.setTop(i);
    WaitMs(scene, 10);
    if (!alive()) return;
  }
}

bool FloatWindow::besideAngler() const {
  const Form& man = scene.frmMan().form;
  return static_cast<float>(man.left() + man.width()) <= static_cast<float>(form.left() - 20);
}

void FloatWindow::PlayerHiku(double btop, Hiku b) {
  Timer1.setEnabled(false);
  const std::int32_t t0 = Round(form.top());
  if (b != Hiku::ReturnOnly) {
    pull(btop, b, t0);
    if (!alive()) return;
  }
  if (b != Hiku::PullOnly) {
    floatBack(btop,
              b == Hiku::ReturnOnly ? Round(scene.frmSea().form.top() - form.height() + 20) : t0);
    if (!alive()) return;
  }
  Timer1.setEnabled(true);
}

void FloatWindow::pull(double btop, Hiku b, std::int32_t t0) {
  const std::int32_t step = IDiv(btop - t0, 8);
  // Within 8 twips of the target, above or below it: the next pull starts
  // from a little higher, so the float jerks along under the surface. A
  // float just below the target must jerk too, or a held button would
  // spin the reel loop without ever bringing it in.
  if (b == Hiku::PullOnly && step == 0) {
    form.setTop(form.top() - 30);
    return;
  }
  for (std::int32_t i = t0; NotPast(i, Round(btop), step); i += step) {
    if (step == 0) return;
    if (besideAngler()) form.setLeft(form.left() - 20);
    form.setTop(i);
    WaitMs(scene, 15);
    if (!alive()) return;
  }
}

void FloatWindow::floatBack(double btop, std::int32_t t0) {
  WaitMs(scene, 80);
  if (!alive()) return;
  const std::int32_t step = IDiv(t0 - btop, 8);
  for (std::int32_t i = Round(btop); NotPast(i, t0, step); i += step) {
    if (IDiv(btop - t0, 8) == 0) return;
    if (besideAngler()) form.setLeft(form.left() - 8);
    form.setTop(i);
    WaitMs(scene, 50);
    if (!alive()) return;
  }
}

}  // namespace kelvory
