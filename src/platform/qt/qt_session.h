#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace kelvory::qt {

// Turns SIGTERM and SIGHUP into a call on the event loop's thread, where
// the system has such signals (nullptr elsewhere). The watch restores the
// default handlers when it goes.
std::unique_ptr<QObject> WatchTermination(std::function<void()> onTerminate);

}  // namespace kelvory::qt
