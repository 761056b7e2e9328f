#pragma once

// The protocols' client code, generated at build time by wayland-scanner.
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
