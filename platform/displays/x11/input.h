#pragma once

// X input and the window manager's close request, turned into the messages Windows would
// queue for the stand-in window `window`.

#include "platform/portable/types.h"
#include "platform/portable/x11_connection.h"

namespace portable {

// Whether the event was input (or a close request) and has been queued.
bool QueueX11Input(HWND window, const XEvent& event, const X11Connection& connection);

} // namespace portable
