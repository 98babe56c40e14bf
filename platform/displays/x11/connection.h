#pragma once

// The X11 back end's own: others reach it through its display.h alone.
#ifndef EPIPHASE_DISPLAY_X11
#error "a header of the X11 back end outside it"
#endif

// The connection to the X server and what its errors tell: a window of another program that
// went away, a picture the server refused. Xlib's default handlers would exit at once.

#include <X11/Xlib.h>

#include <memory>
#include <string>

namespace portable {

struct X11Connection {
    // The display named by DISPLAY, or null with a one-line reason.
    static std::unique_ptr<X11Connection> Open(std::string& error);
    ~X11Connection();

    ::Display* x = nullptr;
    int screen = 0;
    ::Window root = 0;
    Atom protocols = 0;
    Atom deleteWindow = 0;
    Cursor blank = 0;
    // Over a Unix domain socket, the server runs on this machine and can be handed memory.
    bool local = false;
};

// What the server has reported since it was last looked at.
struct X11Faults {
    ::Window goneWindow = 0; // a request on it failed: it no longer exists
    bool pictureRefused = false;
    std::string pictureError;
};
X11Faults& ReportedX11Faults();

// A fault the saver cannot draw past: one line, exit code 1.
[[noreturn]] void EndOnDisplayFault(const std::string& what);

} // namespace portable
