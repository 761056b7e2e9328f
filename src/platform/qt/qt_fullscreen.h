#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace kelvory::qt {

// Tells when a fullscreen window (a game, a film) becomes or stops being the
// active one, so the figures can step aside until it leaves. Only the X11
// desktop says which window is active and fullscreen; elsewhere, or built
// without xcb, there is no watch (nullptr) and the figures always show.
std::unique_ptr<QObject> WatchFullscreen(std::function<void(bool covered)> changed);

}  // namespace kelvory::qt
