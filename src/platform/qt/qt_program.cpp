#include "platform/qt/qt_program.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_image_transfer.h"
#include "platform/qt/qt_scale.h"
#include "platform/qt/qt_translations.h"

namespace kelvory {

int RunQtDesktop(int argc, char** argv, const Game& game) {
  // Wayland lets no program place its own windows, and a compositor without
  // the layer shell gives the figures no place on the taskbar: run through
  // XWayland unless told otherwise.
  if (std::getenv("WAYLAND_DISPLAY") != nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  qt::UseWholeScaleFactors();
  qt::SendPicturesOnTheConnection();
  QApplication app(argc, argv);
  const auto japanese = qt::InstallJapaneseQtTexts();
  // Qt has taken its own options out of argv by now.
  if (argc > 1) {
    std::fprintf(stderr, "kelvory: unknown option %s\n%s", argv[1], ProgramUsage());
    return 2;
  }
  QtDesktop desktop(game.icon);
  return RunGame(desktop, game);
}

}  // namespace kelvory
