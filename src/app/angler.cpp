#include "app/angler.h"

#include <string>

#include "app/docking.h"
#include "assets/pictures.h"
#include "base/scene.h"
#include "base/shape_table.h"
#include "base/vbmath.h"
#include "panel/control_panel.h"
#include "records/popup_menu.h"
#include "shapes/apply_shape.h"
#include "shapes/size_setters.h"

namespace kelvory {
namespace {

WindowDesc AnglerDesc() {
  return {.name = "frmMan", .frame = Frame::None, .back = kBlack, .geometry = {0, 0, 750, 720}};
}

}  // namespace

AnglerWindow::AnglerWindow(Scene& s)
    : GameWindow(s, AnglerDesc()),
      Timer1(addTimer("Timer1", 80, false, [this] { shake(); })),
      TimerDock(addTimer("TimerDock", 250, false, [this] { dock(); })) {
  form.setPicture({&assets::angler(0), "Picture1(0)"});
}

void AnglerWindow::setFrame(int k) { form.setPicture({&assets::angler(k), PictureArraySource(k)}); }

void AnglerWindow::load() {
  SizeTo50x48(form);
  ApplyShape(scene, shape::Angler(0), form);

  scene.TaskbarTop = scene.taskbarTopTwips();

  ControlPanel& con = scene.frmCon();
  con.form.setTop(scene.TaskbarTop - con.form.height());
  con.form.setLeft(0);
  con.form.show();

  form.move(con.form.width(), scene.TaskbarTop - form.height());

  GameWindow& sea = scene.frmSea();
  sea.form.setLeft(con.form.width());
  sea.form.setHeight(50);
  sea.form.setTop(scene.TaskbarTop - sea.form.height());
  sea.form.setWidth(scene.screenWidthTwips());
  sea.form.show();

  // The counts and the certificate flag were read before anything else.
  scene.frmMenu().setCompleteVisible(scene.catches.CompleteSaved);
}

void AnglerWindow::warnSoon(std::string text) {
  warning_ = std::move(text);
  if (warningTimer_ == nullptr) {
    warningTimer_ = &addTimer("TimerWarn", 1, false, [this] {
      warningTimer_->setEnabled(false);
      scene.desktop.messageBox(warning_, MsgButtons::Ok, MsgIcon::Warning);
    });
  }
  warningTimer_->setEnabled(true);
}

void AnglerWindow::dock() {
  if (!ReadyToRedock(scene)) return;
  TimerDock.setEnabled(false);
  Redock(scene);
}

void AnglerWindow::shake() {
  Timer1.setEnabled(false);
  ShakeFrame = Int(scene.rnd.next() * 2.0);
  setFrame(5 + ShakeFrame);
  ApplyShape(scene, shape::Angler(5 + ShakeFrame), form);
  Timer1.setInterval(Int(scene.rnd.next() * 100.0 + 100.0));
  Timer1.setEnabled(true);
}

}  // namespace kelvory
