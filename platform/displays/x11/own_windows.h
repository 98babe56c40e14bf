#pragma once

// The X11 back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_X11
#error "a header of the X11 back end outside it"
#endif

// X windows of the saver's own, for its visible top-level windows: a managed window, or, for
// a topmost one, a full-screen override-redirect window that takes every key and pointer move.

#include "platform/displays/x11/connection.h"
#include "platform/portable/types.h"
#include "platform/portable/window_manager.h"

#include <vector>

namespace portable {

struct OwnX11Window {
    ::Window window = 0;
    bool pointerGrabbed = false;
};

// `icon`: _NET_WM_ICON's cardinals (X11Display::SetWindowIcon); empty: none.
OwnX11Window ShowOwnX11Window(const X11Connection& connection, const Window& shown,
                              const RECT& rect, bool cursorHidden, const std::vector<long>& icon);

} // namespace portable
