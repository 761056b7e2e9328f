#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/game_window.h"
#include "app/random.h"
#include "app/settings.h"
#include "fishing/fishing_state.h"
#include "platform/desktop.h"
#include "shapes/shape_table.h"

namespace kelvory {

// Told to the user when the catches could not be written to the settings file.
inline constexpr std::string_view kNotSavedMessage = "釣果を保存できませんでした。";

// Told at start-up when the settings file exists but cannot be read: its
// path, then what becomes of the catches in it and of this session's.
std::string UnreadableSettingsMessage(std::string_view path);

class AnglerWindow;
class ControlPanel;
class FloatWindow;
class FishWindow;
class PopupMenu;
class HistoryWindow;
class VersionWindow;
class CertificateWindow;

// The whole toy: every window and all shared state of one running program.
// Build it on a desktop and a generator, call start(), then let the desktop
// run (desktop.waitUntil(Desktop::kNever, ...)).
//
// Windows that come and go (float, fish, balloon, dialogs) are loaded on
// first use and unloaded by unload(); an unloaded window's object is kept
// until no handler is on the stack, so suspended code never dangles.
class Scene final : public InputSink {
 public:
  Scene(Desktop& desktop, Random& random);
  ~Scene() override;
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // The angler window's load routine: builds the scene on the taskbar.
  void start();

  void mouseDown(WindowId, ControlId, MouseButton) override;
  void mouseUp(WindowId, ControlId, MouseButton) override;
  void mouseMove(WindowId, ControlId) override;
  void clicked(WindowId, ControlId) override;
  void closeRequested(WindowId) override;
  void sessionEnding() override;
  void screenChanged() override;

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

  // Windows. The ones a user always sees exist from start() on.
  AnglerWindow& frmMan() { return *frmMan_; }
  GameWindow& frmSea();
  ControlPanel& frmCon();
  PopupMenu& frmMenu();
  GameWindow& frmV();
  GameWindow* frmVIfLoaded() { return frmV_.get(); }
  FloatWindow& frmUki();
  FloatWindow* frmUkiIfLoaded() { return frmUki_.get(); }
  FishWindow& frmFish();
  GameWindow& frmL();
  GameWindow& frmC();
  GameWindow& frmR();
  HistoryWindow& frmList();
  VersionWindow& frmVersion();
  CertificateWindow& frmComplete();
  CertificateWindow* frmCompleteIfLoaded() { return frmComplete_.get(); }

  void unloadFloat();
  void unloadFish();
  void unloadBalloon();
  void unloadHistory();
  void unloadVersion();
  void unloadCertificate();

  // Reads the catch counts and the certificate flag from the settings file.
  // Until then, and for good when the file exists but cannot be read,
  // nothing is saved: a save writes only counts that were read (or earned
  // since), and never over a file whose catches we do not know.
  void LoadSettings();
  // Saves the catch counts; false when they could not be stored.
  bool SaveCatchCounts();
  // Stores Complete=1; false when it could not be stored.
  bool SaveComplete();
  // The save after a landing: the first failure of a row is told at once,
  // so the user learns of it before "終了"; the ones after it are not.
  void SaveLanding();
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
  CatchCounts CatchCount{};
  bool CompleteSaved = false;  // the file says Complete=1, as far as we know
  FishingState st;

 private:
  template <class T>
  void unload(std::unique_ptr<T>& slot);

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

  enum class Settings { NotRead, Read, Unreadable };
  Settings settings_ = Settings::NotRead;
  bool landingFailureTold_ = false;

  int depth_ = 0;
  std::vector<std::unique_ptr<GameWindow>> graveyard_;
};

}  // namespace kelvory
