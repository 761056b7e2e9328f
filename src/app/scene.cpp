#include "app/scene.h"

#include <cstdlib>

#include "app/angler.h"
#include "app/docking.h"
#include "app/sea.h"
#include "balloon/balloon.h"
#include "fish/fish_window.h"
#include "float/float_window.h"
#include "panel/control_panel.h"
#include "records/certificate.h"
#include "records/history.h"
#include "records/marker.h"
#include "records/popup_menu.h"
#include "records/version.h"

namespace kelvory {

Scene::Scene(Desktop& d, Random& random) : desktop(d), rnd(random), shapes(BuildShapeTable()) {
  desktop.setInputSink(this);
}

Scene::~Scene() {
  desktop.setInputSink(nullptr);
  graveyard_.clear();
}

Scene::Entry::Entry(Scene& scene) : scene_(scene) {
  // Nothing of the game is on the stack at depth 0, so windows unloaded
  // earlier can go now.
  if (scene_.depth_ == 0) scene_.graveyard_.clear();
  ++scene_.depth_;
}

Scene::Entry::~Entry() { --scene_.depth_; }

template <class T>
void Scene::unload(std::unique_ptr<T>& slot) {
  if (!slot) return;
  slot->close();
  graveyard_.push_back(std::move(slot));
}

void Scene::unloadFloat() { unload(frmUki_); }
void Scene::unloadFish() { unload(frmFish_); }
void Scene::unloadHistory() { unload(frmList_); }
void Scene::unloadVersion() { unload(frmVersion_); }
void Scene::unloadCertificate() { unload(frmComplete_); }

GameWindow& Scene::frmSea() {
  if (!frmSea_) frmSea_ = MakeSea(*this);
  return *frmSea_;
}

ControlPanel& Scene::frmCon() {
  if (!frmCon_) frmCon_ = std::make_unique<ControlPanel>(*this);
  return *frmCon_;
}

PopupMenu& Scene::frmMenu() {
  if (!frmMenu_) frmMenu_ = std::make_unique<PopupMenu>(*this);
  return *frmMenu_;
}

GameWindow& Scene::frmV() {
  if (!frmV_) frmV_ = MakeMarker(*this);
  return *frmV_;
}

FloatWindow& Scene::frmUki() {
  if (!frmUki_) frmUki_ = std::make_unique<FloatWindow>(*this);
  return *frmUki_;
}

FishWindow& Scene::frmFish() {
  if (!frmFish_) frmFish_ = std::make_unique<FishWindow>(*this);
  return *frmFish_;
}

GameWindow& Scene::frmL() {
  if (!frmL_) frmL_ = MakeBalloonLeft(*this);
  return *frmL_;
}

GameWindow& Scene::frmC() {
  if (!frmC_) frmC_ = MakeBalloonCentre(*this);
  return *frmC_;
}

GameWindow& Scene::frmR() {
  if (!frmR_) frmR_ = MakeBalloonRight(*this);
  return *frmR_;
}

void Scene::unloadBalloon() {
  unload(frmL_);
  unload(frmC_);
  unload(frmR_);
}

HistoryWindow& Scene::frmList() {
  if (!frmList_) frmList_ = std::make_unique<HistoryWindow>(*this);
  return *frmList_;
}

VersionWindow& Scene::frmVersion() {
  if (!frmVersion_) frmVersion_ = std::make_unique<VersionWindow>(*this);
  return *frmVersion_;
}

CertificateWindow& Scene::frmComplete() {
  if (!frmComplete_) frmComplete_ = std::make_unique<CertificateWindow>(*this);
  return *frmComplete_;
}

double Scene::screenWidthTwips() const {
  const ScreenMetrics m = desktop.metrics();
  return static_cast<double>(m.widthPx) * m.twipsPerPixel;
}

double Scene::screenHeightTwips() const {
  const ScreenMetrics m = desktop.metrics();
  return static_cast<double>(m.heightPx) * m.twipsPerPixel;
}

double Scene::taskbarTopTwips() const {
  const ScreenMetrics m = desktop.metrics();
  return static_cast<double>(m.workAreaBottomPx) * m.twipsPerPixel;
}

std::string UnreadableSettingsMessage(std::string_view path) {
  return "釣果の記録ファイルを読み込めませんでした。\n" + std::string(path) +
         "\nこのファイルの釣果には手を付けません。今回の釣果は保存されません。";
}

void Scene::LoadSettings() {
  CatchCount.fill(0);
  CompleteSaved = false;
  const std::optional<std::string> counts = ReadSetting(desktop, "Data", "Tyouka");
  const std::optional<std::string> complete =
      counts ? ReadSetting(desktop, "Data", "Complete") : std::nullopt;
  if (!counts || !complete) {
    settings_ = Settings::Unreadable;
    // The box at start-up has told it already.
    landingFailureTold_ = true;
    return;
  }
  if (!counts->empty()) CatchCount = DecodeCatchCounts(*counts);
  CompleteSaved = *complete == "1";
  settings_ = Settings::Read;
}

bool Scene::SaveCatchCounts() {
  if (settings_ != Settings::Read) return false;
  return WriteSetting(desktop, "Data", "Tyouka", EncodeCatchCounts(CatchCount));
}

bool Scene::SaveComplete() {
  if (settings_ != Settings::Read) return false;
  return WriteSetting(desktop, "Data", "Complete", "1");
}

void Scene::SaveLanding() {
  if (SaveCatchCounts()) {
    landingFailureTold_ = false;
    return;
  }
  if (landingFailureTold_) return;
  landingFailureTold_ = true;
  desktop.messageBox(kNotSavedMessage, MsgButtons::Ok, MsgIcon::Warning);
}

void Scene::end() {
  desktop.endProgram();
  // Every desktop's endProgram leaves for good; the compiler cannot see
  // through the virtual call.
  std::abort();
}

void Scene::start() {
  Entry entry(*this);
  // First of all: a failure anywhere in start-up may save the counts.
  LoadSettings();
  frmMan_ = std::make_unique<AnglerWindow>(*this);
  frmMan_->load();
  frmMan_->form.show();
  if (settings_ == Settings::Unreadable) {
    frmMan_->warnSoon(UnreadableSettingsMessage(SettingsPath(desktop.programFolder())));
  }
}

void Scene::mouseDown(WindowId win, ControlId ctrl, MouseButton button) {
  Entry entry(*this);
  if (frmCon_ && frmCon_->form.id() == win) frmCon_->mouseDown(ctrl, button);
}

void Scene::mouseUp(WindowId win, ControlId ctrl, MouseButton) {
  Entry entry(*this);
  if (frmCon_ && frmCon_->form.id() == win) frmCon_->mouseUp(ctrl);
}

void Scene::mouseMove(WindowId win, ControlId ctrl) {
  Entry entry(*this);
  if (frmList_ && frmList_->form.id() == win) frmList_->mouseMove(ctrl);
}

void Scene::clicked(WindowId win, ControlId ctrl) {
  Entry entry(*this);
  if (frmList_ && frmList_->form.id() == win) {
    frmList_->clicked(ctrl);
  } else if (frmVersion_ && frmVersion_->form.id() == win) {
    frmVersion_->clicked(ctrl);
  }
}

void Scene::closeRequested(WindowId win) {
  Entry entry(*this);
  if (frmList_ && frmList_->form.id() == win) {
    unloadHistory();
  } else if (frmVersion_ && frmVersion_->form.id() == win) {
    unloadVersion();
  } else if (frmComplete_ && frmComplete_->form.id() == win) {
    unloadCertificate();
  }
}

void Scene::sessionEnding() {
  Entry entry(*this);
  SaveCatchCounts();
  end();
}

void Scene::screenChanged() {
  Entry entry(*this);
  if (!frmMan_) return;
  if (ReadyToRedock(*this)) {
    Redock(*this);
  } else {
    frmMan_->TimerDock.setEnabled(true);
  }
}

}  // namespace kelvory
