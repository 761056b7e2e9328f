#pragma once

#include <memory>

#include "base/scene.h"

namespace kelvory {

class AnglerWindow;

// The whole toy: makes every window of the scene on first use and passes
// what the desktop hears to the window it is for. Build it on a desktop and a
// generator, call start(), then let the desktop run
// (desktop.waitUntil(Desktop::kNever, ...)).
class ToyScene final : public Scene {
 public:
  ToyScene(Desktop& desktop, Random& random);
  ~ToyScene() override;

  // The angler window's load routine: builds the scene on the taskbar.
  void start();

  void mouseDown(WindowId, ControlId, MouseButton) override;
  void mouseUp(WindowId, ControlId, MouseButton) override;
  void mouseMove(WindowId, ControlId) override;
  void clicked(WindowId, ControlId) override;
  void closeRequested(WindowId) override;
  void sessionEnding() override;
  void screenChanged() override;

  GameWindow& frmMan() override;
  void setAnglerFrame(int k) override;
  void shakeRod(bool on) override;
  GameWindow& frmSea() override;
  ControlPanel& frmCon() override;
  PopupMenu& frmMenu() override;
  GameWindow& frmV() override;
  GameWindow* frmVIfLoaded() override { return frmV_.get(); }
  FloatWindow& frmUki() override;
  FloatWindow* frmUkiIfLoaded() override { return frmUki_.get(); }
  FishWindow& frmFish() override;
  GameWindow& frmL() override;
  GameWindow& frmC() override;
  GameWindow& frmR() override;
  HistoryWindow& frmList() override;
  VersionWindow& frmVersion() override;
  CertificateWindow& frmComplete() override;

  void unloadFloat() override;
  void unloadFish() override;
  void unloadBalloon() override;
  void unloadHistory() override;
  void unloadVersion() override;
  void unloadCertificate() override;

 private:
  std::unique_ptr<AnglerWindow> frmMan_;
  std::unique_ptr<GameWindow> frmSea_;
  std::unique_ptr<ControlPanel> frmCon_;
  std::unique_ptr<PopupMenu> frmMenu_;
  std::unique_ptr<GameWindow> frmV_;
  std::unique_ptr<FloatWindow> frmUki_;
  std::unique_ptr<FishWindow> frmFish_;
  std::unique_ptr<GameWindow> frmL_;
  std::unique_ptr<GameWindow> frmC_;
  std::unique_ptr<GameWindow> frmR_;
  std::unique_ptr<HistoryWindow> frmList_;
  std::unique_ptr<VersionWindow> frmVersion_;
  std::unique_ptr<CertificateWindow> frmComplete_;
};

}  // namespace kelvory
