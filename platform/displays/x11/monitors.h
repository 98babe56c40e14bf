#pragma once

// The X11 back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_X11
#error "a header of the X11 back end outside it"
#endif

// The monitors an X server lays out on its root window, as RandR (1.5) tells them: the root
// window spans them all, the virtual screen; the primary one is where Windows' primary screen
// would be.

#include "platform/displays/x11/connection.h"
#include "platform/portable/types.h"

namespace portable {

// The monitor RandR calls primary, else the one at the origin, else the first; the whole root
// window where the server tells of no monitor. Asked once: a round trip to the server.
RECT PrimaryMonitor(const X11Connection& connection);

} // namespace portable
