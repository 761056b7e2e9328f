#pragma once

#include <QTranslator>
#include <memory>

namespace kelvory::qt {

// The program speaks Japanese whatever the user's locale, and so do Qt's
// own texts in it (a message box's standard buttons). Installs Qt's
// Japanese catalogue when it is there; keep the result while the
// application runs.
std::unique_ptr<QTranslator> InstallJapaneseQtTexts();

}  // namespace kelvory::qt
