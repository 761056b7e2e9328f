#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "base/catch_store.h"
#include "base/fishing_state.h"
#include "base/game_window.h"
#include "base/random.h"
#include "base/shape_table.h"
#include "platform/desktop.h"

namespace kelvory {

class ControlPanel;
class FloatWindow;
class FishWindow;
class PopupMenu;
class HistoryWindow;
class VersionWindow;
class CertificateWindow;

// The scene as the windows see it: every window by its name and the state
// they share. The assembly (app/toy_scene.h) makes the windows and hears the
// desktop; a window includes only this and the windows it calls.
//
// Windows that come and go (float, fish, balloon, dialogs) are loaded on
// first use and unloaded by unload(); an unloaded window's object is kept
// until no handler is on the stack, so suspended code never dangles.
class Scene : public InputSink {
 public:
  Scene(Desktop& desktop, Random& random);
  ~Scene() override;
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Every entry from the desktop into the game holds one of these.
  class Entry {
   public:
    explicit Entry(Scene& scene);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

   private:
    Scene& scene_;
  };

  // Windows. The ones a user always sees exist from start-up on.
  virtual GameWindow& frmMan() = 0;
  // Shows angler frame k (0 to 6) as frmMan's picture; callers pair it with
  // ApplyShape(k) in the order their step needs.
  virtual void setAnglerFrame(int k) = 0;
  // Starts or stops the bent rod's shake.
  virtual void shakeRod(bool on) = 0;
  virtual GameWindow& frmSea() = 0;
  virtual ControlPanel& frmCon() = 0;
  virtual PopupMenu& frmMenu() = 0;
  virtual GameWindow& frmV() = 0;
  virtual GameWindow* frmVIfLoaded() = 0;
  virtual FloatWindow& frmUki() = 0;
  virtual FloatWindow* frmUkiIfLoaded() = 0;
  virtual FishWindow& frmFish() = 0;
  virtual GameWindow& frmL() = 0;
  virtual GameWindow& frmC() = 0;
  virtual GameWindow& frmR() = 0;
  virtual HistoryWindow& frmList() = 0;
  virtual VersionWindow& frmVersion() = 0;
  virtual CertificateWindow& frmComplete() = 0;

  virtual void unloadFloat() = 0;
  virtual void unloadFish() = 0;
  virtual void unloadBalloon() = 0;
  virtual void unloadHistory() = 0;
  virtual void unloadVersion() = 0;
  virtual void unloadCertificate() = 0;

  // Ends the program at once.
  [[noreturn]] void end();
  double screenWidthTwips() const;
  double screenHeightTwips() const;
  // The taskbar's top edge (the work area's bottom) as the desktop has it
  // now; TaskbarTop keeps the value the scene was docked at.
  double taskbarTopTwips() const;

  Desktop& desktop;
  Random& rnd;
  const ShapeTable shapes;
  std::optional<BalloonShapeTable> balloonShapes;  // built on the first balloon
  double TaskbarTop = 0;
  CatchStore catches;
  FishingState st;

 protected:
  // Closes the window in slot and keeps its object until nothing of the game
  // is on the stack.
  template <class T>
  void unload(std::unique_ptr<T>& slot) {
    if (!slot) return;
    slot->close();
    graveyard_.push_back(std::move(slot));
  }
  // Stops hearing the desktop and drops unloaded windows; the assembly calls
  // it first thing on its way out, before its windows go.
  void detach();

 private:
  int depth_ = 0;
  std::vector<std::unique_ptr<GameWindow>> graveyard_;
};

}  // namespace kelvory
