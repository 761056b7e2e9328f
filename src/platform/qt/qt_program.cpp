#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/program.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_image_transfer.h"
#include "platform/qt/qt_scale.h"
#include "platform/qt/qt_translations.h"

namespace kelvory {
namespace {

constexpr const char* kUsage =
    "Usage: kelvory [--help]\n"
    "A small fishing toy on the top edge of the taskbar.\n"
    "Right-click the reel button for the menu.\n"
    "The catches are kept in $XDG_CONFIG_HOME/kelvory/KVY.ini (~/.config/kelvory/),\n"
    "or in a KVY.ini beside the program when there is one.\n"
    "Set KELVORY_TRACE to log the game's timing moments to stderr.\n";

}  // namespace

int RunDesktop(int argc, char** argv, const Game& game) {
  // Answer before Qt needs a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  // Wayland lets no program place its own windows, and the figures must sit
  // on the taskbar: run through XWayland unless told otherwise.
  if (std::getenv("WAYLAND_DISPLAY") != nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  qt::UseWholeScaleFactors();
  qt::SendPicturesOnTheConnection();
  QApplication app(argc, argv);
  const auto japanese = qt::InstallJapaneseQtTexts();
  // Qt has taken its own options out of argv by now.
  if (argc > 1) {
    std::fprintf(stderr, "kelvory: unknown option %s\n%s", argv[1], kUsage);
    return 2;
  }
  QtDesktop desktop(game.icon);
  return RunGame(desktop, game);
}

}  // namespace kelvory
