#include "platform/portable/x11_input.h"

#include "platform/portable/controls.h"
#include "platform/portable/message_queue.h"
#include "platform/portable/user.h"

#include <X11/keysym.h>

namespace portable {

namespace {

WPARAM VirtualKey(KeySym symbol) {
    if (symbol >= XK_a && symbol <= XK_z) {
        return 'A' + (symbol - XK_a);
    }
    if ((symbol >= XK_A && symbol <= XK_Z) || (symbol >= XK_0 && symbol <= XK_9) ||
        symbol == XK_space) {
        return symbol;
    }
    switch (symbol) {
    case XK_Escape:
        return 0x1B;
    case XK_Return:
        return 0x0D;
    case XK_Tab:
        return 0x09;
    case XK_BackSpace:
        return 0x08;
    case XK_Shift_L:
    case XK_Shift_R:
        return 0x10;
    case XK_Control_L:
    case XK_Control_R:
        return 0x11;
    case XK_Alt_L:
    case XK_Alt_R:
        return 0x12;
    default:
        return 0xFF; // a key all the same
    }
}

void QueueButtonEvent(HWND window, const XButtonEvent& event) {
    const POINT at{event.x, event.y};
    const bool press = event.type == ButtonPress;
    switch (event.button) {
    case Button1:
        QueueButton(window, at, press ? WM_LBUTTONDOWN : WM_LBUTTONUP, press ? 1 : 0);
        break;
    case Button2:
        QueueButton(window, at, press ? WM_MBUTTONDOWN : WM_MBUTTONUP, press ? 0x10 : 0);
        break;
    case Button3:
        QueueButton(window, at, press ? WM_RBUTTONDOWN : WM_RBUTTONUP, press ? 2 : 0);
        break;
    default: // wheels turn; they are not buttons
        if (press && event.button <= 5) {
            const int delta = event.button == Button4 ? 120 : -120;
            QueueButton(window, at, WM_MOUSEWHEEL, static_cast<WPARAM>(delta & 0xFFFF) << 16);
        }
        break;
    }
}

} // namespace

bool QueueX11Input(HWND window, const XEvent& event, const X11Connection& connection) {
    switch (event.type) {
    case MotionNotify:
        QueuePointerMotion(window, {event.xmotion.x, event.xmotion.y});
        return true;
    case KeyPress:
    case KeyRelease: {
        XKeyEvent key = event.xkey;
        const KeySym symbol = XLookupKeysym(&key, 0);
        const bool alt = (key.state & Mod1Mask) != 0;
        const UINT message = event.type == KeyPress ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN)
                                                    : (alt ? WM_SYSKEYUP : WM_KEYUP);
        QueueInput(window, message, VirtualKey(symbol), 1);
        return true;
    }
    case ButtonPress:
    case ButtonRelease:
        QueueButtonEvent(window, event.xbutton);
        return true;
    case FocusOut:
        // Focus taken by another program; the grabs of our own windows do not count.
        if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
            event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer) {
            QueueSystemMessage(window, WM_ACTIVATEAPP, FALSE, 0);
        }
        return true;
    case ClientMessage:
        if (event.xclient.message_type == connection.protocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == connection.deleteWindow) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return true;
    default:
        return false;
    }
}

} // namespace portable
