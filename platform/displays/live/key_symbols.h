#pragma once

// For the live back ends (and their tests), never for the stand-in or the headless display.
#if defined(EPIPHASE_STAND_IN) || defined(EPIPHASE_DISPLAY_HEADLESS)
#error "a part of the live displays included by the stand-in or the headless display"
#endif

// Keys as the window messages name them: the virtual-key code of a key symbol. X11 and
// Wayland's key maps (xkbcommon) number key symbols alike.

#include "platform/portable/types.h"

#include <cstdint>

namespace portable {

WPARAM VirtualKeyOfSymbol(std::uint32_t symbol);

} // namespace portable
