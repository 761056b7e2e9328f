#pragma once

#include <QObject>
#include <QTimerEvent>
#include <functional>
#include <utility>

namespace kelvory::qt {

// Receives every Qt timer the desktop starts and hands the Qt id on; plain
// timer ids need no QTimer objects that could die inside their own signal.
class TimerHub final : public QObject {
 public:
  explicit TimerHub(std::function<void(int)> onTimer) : onTimer_(std::move(onTimer)) {}

 protected:
  void timerEvent(QTimerEvent* event) override { onTimer_(event->timerId()); }

 private:
  std::function<void(int)> onTimer_;
};

}  // namespace kelvory::qt
