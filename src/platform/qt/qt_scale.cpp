#include "platform/qt/qt_scale.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kelvory::qt {

void UseWholeScaleFactors() {
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  // The user's own factor is taken as it is meant, to the nearest whole.
  const char* asked = std::getenv("QT_SCALE_FACTOR");
  if (asked == nullptr) return;
  char* end = nullptr;
  const double factor = std::strtod(asked, &end);
  if (end == asked || !(factor > 0) || factor == std::floor(factor)) return;
  const long whole = std::max(1L, std::lround(factor));
  setenv("QT_SCALE_FACTOR", std::to_string(whole).c_str(), 1);
}

}  // namespace kelvory::qt
