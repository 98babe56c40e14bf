#pragma once

// For the live back ends (and their tests), never for the stand-in or the headless display.
#if defined(EPIPHASE_STAND_IN) || defined(EPIPHASE_DISPLAY_HEADLESS)
#error "a part of the live displays included by the stand-in or the headless display"
#endif

// Hidden top-level windows of ours that stand for windows of other programs: one the saver is
// given to draw in, or another program's saver window found by a search.

#include "platform/portable/types.h"

namespace portable {

// A top-level window of ours, width × height, standing for a window of another program; what
// is drawn inside it follows its size.
HWND NewStandInWindow(int width, int height);

} // namespace portable
