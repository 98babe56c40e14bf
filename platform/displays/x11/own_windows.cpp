#include "platform/displays/x11/own_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace portable {

namespace {

// Everything the user does now reaches the saver.
bool GrabInput(const X11Connection& c, ::Window window) {
    XSync(c.x, False);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (XGrabKeyboard(c.x, window, True, GrabModeAsync, GrabModeAsync, CurrentTime) ==
            GrabSuccess) {
            break;
        }
        usleep(10000);
    }
    const bool pointer =
        XGrabPointer(c.x, window, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    XSetInputFocus(c.x, window, RevertToParent, CurrentTime);
    return pointer;
}

// What window managers, task bars and window searches read: the title in UTF-8 beside the
// Latin-1 one, the class, the icon, and the process with its machine.
void NameWindow(const X11Connection& c, ::Window window, const Window& shown,
                const std::vector<long>& icon) {
    XStoreName(c.x, window, shown.title.c_str());
    XChangeProperty(c.x, window, XInternAtom(c.x, "_NET_WM_NAME", False),
                    XInternAtom(c.x, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(shown.title.data()),
                    static_cast<int>(shown.title.size()));
    // The class is what another program's search (and a window manager) knows it by.
    XClassHint names{program_invocation_short_name, const_cast<char*>(shown.className.c_str())};
    XSetClassHint(c.x, window, &names);
    if (!icon.empty()) {
        XChangeProperty(c.x, window, XInternAtom(c.x, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                        static_cast<int>(icon.size()));
    }
    const long pid = getpid(); // format 32 travels in longs
    XChangeProperty(c.x, window, XInternAtom(c.x, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    char host[256] = {};
    char* hosts[] = {host};
    XTextProperty machine{};
    if (gethostname(host, sizeof host - 1) == 0 && XStringListToTextProperty(hosts, 1, &machine)) {
        XSetWMClientMachine(c.x, window, &machine);
        XFree(machine.value);
    }
}

} // namespace

OwnX11Window ShowOwnX11Window(const X11Connection& c, const Window& shown, const RECT& rect,
                              bool cursorHidden, const std::vector<long>& icon) {
    const bool topmost = (shown.exStyle & WS_EX_TOPMOST) != 0;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = topmost ? True : False; // full screen, above everything
    attributes.background_pixel = BlackPixel(c.x, c.screen);
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | FocusChangeMask |
                            StructureNotifyMask;
    OwnX11Window own;
    own.window = XCreateWindow(c.x, c.root, rect.left, rect.top,
                               static_cast<unsigned>(std::max<LONG>(rect.right - rect.left, 1)),
                               static_cast<unsigned>(std::max<LONG>(rect.bottom - rect.top, 1)), 0,
                               CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    NameWindow(c, own.window, shown, icon);
    XSetWMProtocols(c.x, own.window, const_cast<Atom*>(&c.deleteWindow), 1);
    if (cursorHidden) {
        XDefineCursor(c.x, own.window, c.blank);
    }
    if (topmost) {
        XMapRaised(c.x, own.window);
        own.pointerGrabbed = GrabInput(c, own.window);
    } else {
        XMapWindow(c.x, own.window);
    }
    XFlush(c.x);
    return own;
}

} // namespace portable
