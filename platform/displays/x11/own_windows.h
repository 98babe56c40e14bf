#pragma once

// X windows of the saver's own, for its visible top-level windows: a managed window, or, for
// a topmost one, a full-screen override-redirect window that takes every key and pointer move.

#include "platform/portable/types.h"
#include "platform/portable/window_manager.h"
#include "platform/portable/x11_connection.h"

namespace portable {

struct OwnX11Window {
    ::Window window = 0;
    bool pointerGrabbed = false;
};

OwnX11Window ShowOwnX11Window(const X11Connection& connection, const Window& shown,
                              const RECT& rect, bool cursorHidden);

} // namespace portable
