#include "platform/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace kelvory::qt {

std::unique_ptr<QTranslator> InstallJapaneseQtTexts() {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    // Without the catalogue (qt6-translations-l10n) Qt's texts stay English.
    return nullptr;
  }
  QCoreApplication::installTranslator(translator.get());
  return translator;
}

}  // namespace kelvory::qt
