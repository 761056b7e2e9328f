#pragma once

#include <QObject>
#include <functional>

namespace kelvory::qt {

// Tells when a fullscreen window (a game, a film) is the active one on the
// X11 desktop, so the figures can step aside until it leaves. Looks once a
// second: the window manager's properties change without telling us, and
// one round trip a second costs nothing measurable. Off the X11 platform
// it never reports anything.
class FullscreenWatch final : public QObject {
 public:
  explicit FullscreenWatch(std::function<void(bool covered)> changed);
  ~FullscreenWatch() override;
  FullscreenWatch(const FullscreenWatch&) = delete;
  FullscreenWatch& operator=(const FullscreenWatch&) = delete;

 protected:
  void timerEvent(QTimerEvent*) override;

 private:
  bool activeIsFullscreen() const;

  std::function<void(bool)> changed_;
  int timer_ = 0;
  bool covered_ = false;
  void* connection_ = nullptr;  // xcb_connection_t, owned by Qt
  unsigned root_ = 0;
  unsigned activeAtom_ = 0, stateAtom_ = 0, fullscreenAtom_ = 0;
};

}  // namespace kelvory::qt
