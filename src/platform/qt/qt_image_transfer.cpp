#include "platform/qt/qt_image_transfer.h"

#include <QByteArray>
#include <QtGlobal>

namespace kelvory::qt {

void SendPicturesOnTheConnection() {
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", QByteArray("1"));
}

}  // namespace kelvory::qt
