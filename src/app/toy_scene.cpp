#include "app/toy_scene.h"

#include "app/angler.h"
#include "app/docking.h"
#include "app/sea.h"
#include "balloon/balloon.h"
#include "base/settings.h"
#include "fish/fish_window.h"
#include "float/float_window.h"
#include "panel/control_panel.h"
#include "records/certificate.h"
#include "records/history.h"
#include "records/marker.h"
#include "records/popup_menu.h"
#include "records/version.h"

namespace kelvory {

ToyScene::ToyScene(Desktop& d, Random& random) : Scene(d, random) {}

ToyScene::~ToyScene() { detach(); }

void ToyScene::unloadFloat() { unload(frmUki_); }
void ToyScene::unloadFish() { unload(frmFish_); }
void ToyScene::unloadHistory() { unload(frmList_); }
void ToyScene::unloadVersion() { unload(frmVersion_); }
void ToyScene::unloadCertificate() { unload(frmComplete_); }

GameWindow& ToyScene::frmSea() {
  if (!frmSea_) frmSea_ = MakeSea(*this);
  return *frmSea_;
}

ControlPanel& ToyScene::frmCon() {
  if (!frmCon_) frmCon_ = std::make_unique<ControlPanel>(*this);
  return *frmCon_;
}

PopupMenu& ToyScene::frmMenu() {
  if (!frmMenu_) frmMenu_ = std::make_unique<PopupMenu>(*this);
  return *frmMenu_;
}

GameWindow& ToyScene::frmV() {
  if (!frmV_) frmV_ = MakeMarker(*this);
  return *frmV_;
}

FloatWindow& ToyScene::frmUki() {
  if (!frmUki_) frmUki_ = std::make_unique<FloatWindow>(*this);
  return *frmUki_;
}

FishWindow& ToyScene::frmFish() {
  if (!frmFish_) frmFish_ = std::make_unique<FishWindow>(*this);
  return *frmFish_;
}

GameWindow& ToyScene::frmL() {
  if (!frmL_) frmL_ = MakeBalloonLeft(*this);
  return *frmL_;
}

GameWindow& ToyScene::frmC() {
  if (!frmC_) frmC_ = MakeBalloonCentre(*this);
  return *frmC_;
}

GameWindow& ToyScene::frmR() {
  if (!frmR_) frmR_ = MakeBalloonRight(*this);
  return *frmR_;
}

void ToyScene::unloadBalloon() {
  unload(frmL_);
  unload(frmC_);
  unload(frmR_);
}

HistoryWindow& ToyScene::frmList() {
  if (!frmList_) frmList_ = std::make_unique<HistoryWindow>(*this);
  return *frmList_;
}

VersionWindow& ToyScene::frmVersion() {
  if (!frmVersion_) frmVersion_ = std::make_unique<VersionWindow>(*this);
  return *frmVersion_;
}

CertificateWindow& ToyScene::frmComplete() {
  if (!frmComplete_) frmComplete_ = std::make_unique<CertificateWindow>(*this);
  return *frmComplete_;
}

GameWindow& ToyScene::frmMan() { return *frmMan_; }

void ToyScene::setAnglerFrame(int k) { frmMan_->setFrame(k); }

void ToyScene::shakeRod(bool on) { frmMan_->Timer1.setEnabled(on); }

void ToyScene::start() {
  Entry entry(*this);
  // First of all: a failure anywhere in start-up may save the counts.
  const bool read = catches.Load();
  frmMan_ = std::make_unique<AnglerWindow>(*this);
  frmMan_->load();
  frmMan_->form.show();
  if (!read) {
    frmMan_->warnSoon(UnreadableSettingsMessage(SettingsPath(desktop.programFolder())));
  }
}

void ToyScene::mouseDown(WindowId win, ControlId ctrl, MouseButton button) {
  Entry entry(*this);
  if (frmCon_ && frmCon_->form.id() == win) frmCon_->mouseDown(ctrl, button);
}

void ToyScene::mouseUp(WindowId win, ControlId ctrl, MouseButton) {
  Entry entry(*this);
  if (frmCon_ && frmCon_->form.id() == win) frmCon_->mouseUp(ctrl);
}

void ToyScene::mouseMove(WindowId win, ControlId ctrl) {
  Entry entry(*this);
  if (frmList_ && frmList_->form.id() == win) frmList_->mouseMove(ctrl);
}

void ToyScene::clicked(WindowId win, ControlId ctrl) {
  Entry entry(*this);
  if (frmList_ && frmList_->form.id() == win) {
    frmList_->clicked(ctrl);
  } else if (frmVersion_ && frmVersion_->form.id() == win) {
    frmVersion_->clicked(ctrl);
  }
}

void ToyScene::closeRequested(WindowId win) {
  Entry entry(*this);
  if (frmList_ && frmList_->form.id() == win) {
    unloadHistory();
  } else if (frmVersion_ && frmVersion_->form.id() == win) {
    unloadVersion();
  } else if (frmComplete_ && frmComplete_->form.id() == win) {
    unloadCertificate();
  }
}

void ToyScene::sessionEnding() {
  Entry entry(*this);
  catches.SaveCatchCounts();
  end();
}

void ToyScene::screenChanged() {
  Entry entry(*this);
  if (!frmMan_) return;
  if (ReadyToRedock(*this)) {
    Redock(*this);
  } else {
    frmMan_->TimerDock.setEnabled(true);
  }
}

}  // namespace kelvory
