// The least a Qt Widgets program costs on the desktop: one small window
// shown and one timer ticking every second, as Kelvory's clock does, and
// nothing drawn, read or written. The benchmark runs it beside the desktop
// toys to show what Qt itself takes of Kelvory's idle time and memory.
#include <QApplication>
#include <QTimerEvent>
#include <QWidget>

namespace {

class Ticking final : public QObject {
 protected:
  void timerEvent(QTimerEvent*) override {}
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window(nullptr, Qt::FramelessWindowHint | Qt::Tool);
  window.resize(84, 15);
  window.show();
  Ticking ticking;
  ticking.startTimer(1000, Qt::PreciseTimer);
  return QApplication::exec();
}
