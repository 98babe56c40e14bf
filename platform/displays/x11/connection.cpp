#include "platform/displays/x11/connection.h"

#include <X11/Xproto.h>
#include <X11/extensions/shmproto.h>

#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>

namespace portable {

namespace {

int sharedMemoryOpcode = -1;

int OnXError(::Display* x, XErrorEvent* error) {
    X11Faults& faults = ReportedX11Faults();
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        faults.goneWindow = error->resourceid;
    }
    const bool put = error->request_code == X_PutImage ||
                     (error->request_code == sharedMemoryOpcode &&
                      error->minor_code == X_ShmPutImage);
    if (put && error->error_code != BadWindow && error->error_code != BadDrawable) {
        char text[128] = {};
        XGetErrorText(x, error->error_code, text, sizeof text);
        faults.pictureRefused = true;
        faults.pictureError = text;
    }
    return 0;
}

int OnXIOError(::Display*) {
    std::fprintf(stderr, "epiphase: the X display went away\n");
    std::_Exit(1);
}

bool OverUnixSocket(::Display* x) {
    int domain = 0;
    socklen_t length = sizeof domain;
    return getsockopt(ConnectionNumber(x), SOL_SOCKET, SO_DOMAIN, &domain, &length) == 0 &&
           domain == AF_UNIX;
}

} // namespace

X11Faults& ReportedX11Faults() {
    static X11Faults faults;
    return faults;
}

void EndOnDisplayFault(const std::string& what) {
    std::fprintf(stderr, "epiphase: %s\n", what.c_str());
    std::_Exit(1);
}

std::unique_ptr<X11Connection> X11Connection::Open(std::string& error) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        error = "no X display (DISPLAY is not set)";
        return nullptr;
    }
    auto connection = std::make_unique<X11Connection>();
    connection->x = XOpenDisplay(nullptr);
    if (connection->x == nullptr) {
        error = std::string("cannot open the X display ") + name;
        return nullptr;
    }
    ::Display* x = connection->x;
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
    connection->screen = DefaultScreen(x);
    connection->root = RootWindow(x, connection->screen);
    connection->local = OverUnixSocket(x);
    if (connection->local) { // a remote server is never even asked about shared memory
        int opcode = 0, event = 0, firstError = 0;
        if (XQueryExtension(x, "MIT-SHM", &opcode, &event, &firstError)) {
            sharedMemoryOpcode = opcode;
        }
    }
    connection->protocols = XInternAtom(x, "WM_PROTOCOLS", False);
    connection->deleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
    char none[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(x, connection->root, none, 1, 1);
    XColor black{};
    connection->blank = XCreatePixmapCursor(x, empty, empty, &black, &black, 0, 0);
    XFreePixmap(x, empty);
    return connection;
}

X11Connection::~X11Connection() {
    if (x != nullptr) {
        XFreeCursor(x, blank);
        XCloseDisplay(x);
    }
}

} // namespace portable
