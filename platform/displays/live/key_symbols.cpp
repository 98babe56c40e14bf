#include "platform/displays/live/key_symbols.h"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace portable {

WPARAM VirtualKeyOfSymbol(std::uint32_t symbol) {
    if (symbol >= XKB_KEY_a && symbol <= XKB_KEY_z) {
        return 'A' + (symbol - XKB_KEY_a);
    }
    if ((symbol >= XKB_KEY_A && symbol <= XKB_KEY_Z) ||
        (symbol >= XKB_KEY_0 && symbol <= XKB_KEY_9) || symbol == XKB_KEY_space) {
        return symbol;
    }
    switch (symbol) {
    case XKB_KEY_Escape:
        return 0x1B;
    case XKB_KEY_Return:
        return 0x0D;
    case XKB_KEY_Tab:
        return 0x09;
    case XKB_KEY_BackSpace:
        return 0x08;
    case XKB_KEY_Shift_L:
    case XKB_KEY_Shift_R:
        return 0x10;
    case XKB_KEY_Control_L:
    case XKB_KEY_Control_R:
        return 0x11;
    case XKB_KEY_Alt_L:
    case XKB_KEY_Alt_R:
        return 0x12;
    default:
        return 0xFF; // a key all the same
    }
}

} // namespace portable
