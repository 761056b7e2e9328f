#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>

namespace kelvory::qt {

// Tells when a fullscreen window (a game, a film) is the active one on the
// X11 desktop, so the figures can step aside until it leaves. Looks only
// when the root's active window or a window's state property changes, so
// an idle desktop never wakes the program for it. Off the X11 platform it
// never reports anything.
class FullscreenWatch final : public QObject, public QAbstractNativeEventFilter {
 public:
  explicit FullscreenWatch(std::function<void(bool covered)> changed);
  ~FullscreenWatch() override;
  FullscreenWatch(const FullscreenWatch&) = delete;
  FullscreenWatch& operator=(const FullscreenWatch&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  void check();
  void watchProperties(unsigned window) const;
  unsigned activeWindow() const;
  bool isFullscreen(unsigned window) const;

  std::function<void(bool)> changed_;
  bool installed_ = false;
  bool checkQueued_ = false;
  bool covered_ = false;
  unsigned watched_ = 0;
  void* connection_ = nullptr;  // xcb_connection_t, owned by Qt
  unsigned root_ = 0;
  unsigned activeAtom_ = 0, stateAtom_ = 0, fullscreenAtom_ = 0;
};

}  // namespace kelvory::qt
