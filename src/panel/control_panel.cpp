#include "panel/control_panel.h"

#include <cstddef>
#include <iterator>

#include "assets/pictures.h"
#include "base/fonts.h"
#include "base/scene.h"
#include "base/shape_table.h"
#include "base/vbmath.h"
#include "base/wait.h"
#include "fishing/cast.h"
#include "fishing/fight.h"
#include "fishing/landing.h"
#include "float/float_window.h"
#include "records/popup_menu.h"
#include "shapes/apply_shape.h"

namespace kelvory {
namespace {

WindowDesc PanelDesc() {
  return {.name = "frmCon", .frame = Frame::Thin, .geometry = {0, 0, 1250, 230}};
}

ControlDesc ClockDesc() {
  return {.name = "Label1",
          .kind = ControlKind::Label,
          .box = {60, 30, 945, 165},
          .text = ">>>>>",
          .font = SmallFont()};
}

ControlDesc PowerBarDesc() {
  return {.name = "Picture2",
          .kind = ControlKind::PictureBox,
          .box = {45, 60, 930, 135},
          .visible = false};
}

ControlDesc ReelButtonDesc() {
  return {.name = "Picture1",
          .kind = ControlKind::PictureBox,
          .box = {990, -30, 225, 300},
          .back = kBlue,
          .transparent = false};
}

}  // namespace

ControlPanel::ControlPanel(Scene& s)
    : GameWindow(s, PanelDesc()),
      Label1(form.add(ClockDesc())),
      Picture2(form.add(PowerBarDesc())),
      Picture1(form.add(ReelButtonDesc())),
      Timer2(addTimer("Timer2", 1000, true, [this] { showClock(); })),
      Timer3(addTimer("Timer3", 1, false,
                      [this] {
                        Timer3.setEnabled(false);
                        FightFish(scene);
                      })),
      Timer1(addTimer("Timer1", 100, false, [] {})) {
  Picture2.setPicture({&assets::powerBar(), "Picture2"});
  scene.st.resetMeter();
  scene.st.Reeling = false;
  Timer1.setEnabled(false);
  form.setHeight(230);
  form.setWidth(1250);
  showClock();
}

void ControlPanel::showClock() {
  // "MM/DD hh:mm", written by hand: it runs every second, and a formatted
  // print costs far more than the rest of the tick.
  const LocalTime now = scene.desktop.localTime();
  char text[] = "00/00 00:00";
  const int parts[] = {now.month, now.day, now.hour, now.minute};
  for (std::size_t i = 0; i < std::size(parts); ++i) {
    const int two = parts[i] % 100;
    text[3 * i] = static_cast<char>('0' + two / 10);
    text[3 * i + 1] = static_cast<char>('0' + two % 10);
  }
  Label1.setText(text);
}

void ControlPanel::mouseUp(ControlId ctrl) {
  if (ctrl != Picture1.id()) return;
  FishingState& st = scene.st;
  st.ButtonDown = false;
  st.ButtonUp = true;
  // Letting go while the fish pulls is right; any other release ends reeling.
  if (Picture1.backColor() != kRed) st.Reeling = false;
}

void ControlPanel::mouseDown(ControlId ctrl, MouseButton button) {
  if (ctrl != Picture1.id()) return;
  if (button == MouseButton::Left) {
    leftPress();
  } else {
    otherPress(button);
  }
}

void ControlPanel::otherPress(MouseButton button) {
  // The float keeps still while the menu is open; afterwards its timer is as
  // it was, unless the sequence running below turned it on meanwhile.
  FloatWindow* uki = scene.frmUkiIfLoaded();
  const bool wasBobbing = uki && uki->Timer1.enabled();
  if (uki) uki->Timer1.setEnabled(false);
  if (button == MouseButton::Right) scene.frmMenu().popup();
  if (wasBobbing && (uki = scene.frmUkiIfLoaded()) && uki->alive()) uki->Timer1.setEnabled(true);
}

void ControlPanel::leftPress() {
  FishingState& st = scene.st;
  st.ButtonUp = false;
  st.ButtonDown = true;
  if (st.Reeling) {
    // In a fight, pressing while the fish pulls loses it.
    if (Picture1.backColor() == kRed) st.Reeling = false;
    return;
  }
  st.FishSpan = Round(scene.frmSea().form.width());
  if (st.SequenceBusy) return;
  st.Reeling = true;
  if (!st.LineOut && !st.MeterOn) {
    meterAndCast();
  } else if (!st.LineOut) {
    st.MeterStop = true;
  } else if (!strikeAndReel()) {
    return;
  }
  st.SequenceBusy = false;
}

void ControlPanel::meterAndCast() {
  FishingState& st = scene.st;
  Timer2.setEnabled(false);
  Label1.setVisible(false);
  Picture2.setVisible(true);
  st.MeterOn = true;
  st.LineOut = false;
  while (!st.LineOut) {
    MeterStep();
    WaitMs(scene, st.MeterSpeed * 10.0);
  }
  DoCast();
  st.MeterOn = false;
  st.MeterDir = 1.0f;
  st.MeterValue = 1.0f;
  st.MeterStop = false;
  Label1.setVisible(true);
  Picture2.setVisible(false);
  Timer2.setEnabled(true);
  Timer1.setEnabled(false);
  st.MeterSpeed = 1.0f;
}

void ControlPanel::MeterStep() {
  FishingState& st = scene.st;
  scene.desktop.processPending();
  if (st.MeterStop) {
    st.CastPower = Round(2.0 * st.MeterValue);
    st.LineOut = true;
    // The cast is under way from here: a press during the wind-up is
    // not a strike.
    st.SequenceBusy = true;
    return;
  }
  const float v = st.MeterValue + st.MeterSpeed * st.MeterDir;
  if ((st.MeterDir == -1.0f && v < 1.0f) || (st.MeterDir != -1.0f && v > 50.0f)) {
    st.MeterDir = -st.MeterDir;
  }
  st.MeterValue = st.MeterValue + st.MeterSpeed * st.MeterDir;
  Picture2.setWidth(st.MeterValue * 18.0);
  scene.desktop.mark(Moment::MeterStep);
}

void ControlPanel::DoCast() {
  FishingState& st = scene.st;
  scene.rnd.reseed(scene.desktop.now());
  scene.unloadFloat();
  GameWindow& man = scene.frmMan();
  for (int i = 0; i <= 4; ++i) {
    WaitMs(scene, 100);
    scene.setAnglerFrame(i);
    ApplyShape(scene, shape::Angler(i), man.form);
  }
  FloatWindow& uki = scene.frmUki();
  uki.Timer1.setEnabled(false);
  uki.form.show();
  CastFloat(scene, st.CastPower, -(st.CastPower / 2));
  if (!uki.alive()) return;
  st.FloatUnder = false;
  uki.form.sendToBack();
  scene.setAnglerFrame(5);
  ApplyShape(scene, shape::Angler(5), man.form);
  uki.Timer1.setEnabled(true);
}

bool ControlPanel::strikeAndReel() {
  FishingState& st = scene.st;
  st.SequenceBusy = true;
  if (FloatWindow* uki = scene.frmUkiIfLoaded()) uki->Timer1.setEnabled(false);
  st.StrikeFlag = true;
  GameWindow& man = scene.frmMan();
  ApplyShape(scene, shape::Angler(6), man.form);
  scene.setAnglerFrame(6);
  WaitMs(scene, 50);
  if (st.FloatUnder && st.UnderTime != -1) {
    st.ColourTicks = 0;
    Timer3.setEnabled(true);
    return false;
  }

  scene.shakeRod(true);
  const double seaTop = scene.TaskbarTop - scene.frmSea().form.height();
  while (st.Reeling) {
    scene.desktop.processPending();
    FloatWindow* uki = scene.frmUkiIfLoaded();
    if (!uki) break;
    const Form& m = man.form;
    if (static_cast<float>(m.left() + m.width() + 30) >= static_cast<float>(uki->form.left())) {
      LandCatch(scene, false);
      return false;
    }
    uki->PlayerHiku(seaTop - 30, FloatWindow::Hiku::PullOnly);
  }
  scene.shakeRod(false);
  if (FloatWindow* uki = scene.frmUkiIfLoaded()) {
    uki->PlayerHiku(seaTop, FloatWindow::Hiku::ReturnOnly);
    if (st.FloatUnder && uki->alive()) uki->Timer1.setEnabled(true);
  }
  scene.setAnglerFrame(5);
  ApplyShape(scene, shape::Angler(5), man.form);
  return true;
}

}  // namespace kelvory
