#include "platform/displays/x11/input.h"

#include "platform/portable/controls.h"
#include "platform/displays/live/key_symbols.h"
#include "platform/portable/message_queue.h"
#include "platform/portable/user.h"

namespace portable {

namespace {

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
        QueueInput(window, message, VirtualKeyOfSymbol(static_cast<std::uint32_t>(symbol)), 1);
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
