#pragma once

namespace kelvory::qt {

// The figures are small windows repainted every step. Through shared memory
// Qt waits for the X server to finish reading each window's picture (one
// round trip per repaint); for pictures this small, sending the pixels on
// the connection costs both sides less. Call before the QApplication
// exists; a choice already made in the environment stays.
void SendPicturesOnTheConnection();

}  // namespace kelvory::qt
