#pragma once

// The X11 back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_X11
#error "a header of the X11 back end outside it"
#endif

// X input and the window manager's close request, turned into the messages Windows would
// queue for the stand-in window `window`.

#include "platform/displays/x11/connection.h"
#include "platform/portable/types.h"

namespace portable {

// Whether the event was input (or a close request) and has been queued.
bool QueueX11Input(HWND window, const XEvent& event, const X11Connection& connection);

} // namespace portable
