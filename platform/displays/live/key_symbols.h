#pragma once

// Keys as the window messages name them: the virtual-key code of a key symbol. X11 and
// Wayland's key maps (xkbcommon) number key symbols alike.

#include "platform/portable/types.h"

#include <cstdint>

namespace portable {

WPARAM VirtualKeyOfSymbol(std::uint32_t symbol);

} // namespace portable
