#include "platform/displays/x11/display.h"

#include "platform/displays/live/end_signals.h"
#include "platform/displays/live/steady_pacing.h"
#include "platform/displays/x11/connection.h"
#include "platform/displays/x11/input.h"
#include "platform/displays/x11/monitors.h"
#include "platform/displays/x11/other_windows.h"
#include "platform/displays/x11/own_windows.h"
#include "platform/displays/x11/presenter.h"
#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <cstdio>
#include <map>
#include <unistd.h>
#include <utility>

namespace portable {

namespace {

// An X window that shows a top-level stand-in window.
struct Mirror {
    ::Window window = 0;
    bool foreign = false; // another program's window: never created or destroyed here
};

} // namespace

struct X11Display::State {
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11Presenter> presenter;
    FramePacing pacing{[] { return std::chrono::steady_clock::now(); }};
    std::map<HWND, Mirror> mirrors;
    OtherProgramWindows others;
    bool cursorHidden = false;
    std::vector<long> icon; // format 32 travels in longs
    // The pointer's place as the server last reported it: asked when the display opens and when
    // the pointer is grabbed, and followed by the moves reported over our windows (every move
    // while grabbed). Never asked per message: a server that stops answering must not hold up
    // the loop, which must still end on a signal.
    POINT pointer{0, 0};
    RECT primary{0, 0, 0, 0}; // as the server laid its monitors out when the display opened

    ::Display* X() const { return connection->x; }
    HWND WindowOf(::Window window) const {
        for (const auto& [handle, mirror] : mirrors) {
            if (mirror.window == window) {
                return handle;
            }
        }
        return nullptr;
    }
    POINT QueryPointer() const;
    void Handle(const XEvent& event);
    void TrackPointer(const XEvent& event);
    void CheckFaults();
};

void X11Display::State::CheckFaults() {
    X11Faults& faults = ReportedX11Faults();
    if (faults.pictureRefused) {
        EndOnDisplayFault("the X server refused the picture: " + faults.pictureError);
    }
    if (faults.goneWindow == 0) {
        return;
    }
    const ::Window gone = std::exchange(faults.goneWindow, 0);
    const HWND handle = WindowOf(gone);
    // Its own window too: destroyed by another client, the program ends as for one it was given.
    if (handle != nullptr) {
        std::fprintf(stderr, "epiphase: the window it was drawing in went away\n");
        presenter->Forget(gone);
        mirrors[handle].window = 0;
        PostMessageA(handle, WM_CLOSE, 0, 0);
    }
}

void X11Display::State::TrackPointer(const XEvent& event) {
    if (event.type == MotionNotify) {
        pointer = {event.xmotion.x_root, event.xmotion.y_root};
    } else if (event.type == ButtonPress || event.type == ButtonRelease) {
        pointer = {event.xbutton.x_root, event.xbutton.y_root};
    }
}

void X11Display::State::Handle(const XEvent& event) {
    if (presenter->TakeCompletion(event)) {
        return;
    }
    const HWND handle = WindowOf(event.xany.window);
    if (handle == nullptr) {
        return;
    }
    TrackPointer(event);
    if (QueueX11Input(handle, event, *connection)) {
        return;
    }
    switch (event.type) {
    case ConfigureNotify: {
        RECT client{};
        GetClientRect(handle, &client);
        if (client.right != event.xconfigure.width || client.bottom != event.xconfigure.height) {
            MoveWindow(handle, 0, 0, event.xconfigure.width, event.xconfigure.height, TRUE);
        }
        break;
    }
    case Expose:
        if (event.xexpose.count == 0) {
            InvalidateRect(handle, nullptr, FALSE);
        }
        break;
    case DestroyNotify:
        ReportedX11Faults().goneWindow = event.xdestroywindow.window;
        CheckFaults();
        break;
    default:
        break;
    }
}

X11Display::X11Display(std::unique_ptr<State> opened) : state(std::move(opened)) {
    SetPixelAllocator([presenter = state->presenter.get()](int width, int height) {
        return presenter->NewPixels(width, height);
    });
}

X11Display::~X11Display() {
    SetPixelAllocator(nullptr); // frees the shared memory kept for later surfaces
    for (auto& [handle, mirror] : state->mirrors) {
        if (!mirror.foreign && mirror.window != 0) {
            XDestroyWindow(state->X(), mirror.window);
        }
    }
    state->presenter.reset();
}

std::unique_ptr<X11Display> X11Display::Open(bool useSharedMemory, std::string& error) {
    auto state = std::make_unique<State>();
    state->connection = X11Connection::Open(error);
    if (state->connection == nullptr) {
        return nullptr;
    }
    state->presenter = std::make_unique<X11Presenter>(*state->connection, useSharedMemory);
    state->pointer = state->QueryPointer();
    state->primary = PrimaryMonitor(*state->connection);
    return std::unique_ptr<X11Display>(new X11Display(std::move(state)));
}

RECT X11Display::PrimaryScreen() const {
    return state->primary;
}

// The root window spans every monitor: one full-screen window covers them all.
RECT X11Display::VirtualScreen() const {
    const X11Connection& c = *state->connection;
    return {0, 0, DisplayWidth(c.x, c.screen), DisplayHeight(c.x, c.screen)};
}

POINT X11Display::State::QueryPointer() const {
    ::Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(X(), connection->root, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask);
    return {rootX, rootY};
}

POINT X11Display::CursorPosition() const {
    return state->pointer;
}

void X11Display::MoveCursor(POINT screen) {
    XWarpPointer(state->X(), 0, state->connection->root, 0, 0, 0, 0, screen.x, screen.y);
    XFlush(state->X());
    state->pointer = screen;
}

void X11Display::SetCursorVisible(bool visible) {
    if (state->cursorHidden == !visible) {
        return;
    }
    state->cursorHidden = !visible;
    for (const auto& [handle, mirror] : state->mirrors) {
        if (!mirror.foreign && mirror.window != 0) {
            if (visible) {
                XUndefineCursor(state->X(), mirror.window);
            } else {
                XDefineCursor(state->X(), mirror.window, state->connection->blank);
            }
        }
    }
    XFlush(state->X());
}

void X11Display::WindowShown(HWND handle, const RECT& rect) {
    if (state->mirrors.contains(handle)) {
        return;
    }
    const OwnX11Window own = ShowOwnX11Window(*state->connection, *FindWindowObject(handle), rect,
                                              state->cursorHidden, state->icon);
    state->mirrors[handle] = {own.window, false};
    if (own.pointerGrabbed) {
        state->pointer = state->QueryPointer(); // every move after it is reported
    }
}

void X11Display::WindowRaised(HWND handle) {
    if (state->others.Raise(*state->connection, handle)) {
        return;
    }
    const auto found = state->mirrors.find(handle);
    if (found != state->mirrors.end() && !found->second.foreign && found->second.window != 0) {
        XRaiseWindow(state->X(), found->second.window);
        XFlush(state->X());
    }
}

void X11Display::WindowGone(HWND handle) {
    const auto found = state->mirrors.find(handle);
    if (found == state->mirrors.end()) {
        return;
    }
    const Mirror mirror = found->second;
    state->mirrors.erase(found);
    if (mirror.window == 0) {
        return;
    }
    state->presenter->Forget(mirror.window);
    if (!mirror.foreign) {
        XUngrabKeyboard(state->X(), CurrentTime);
        XUngrabPointer(state->X(), CurrentTime);
        XDestroyWindow(state->X(), mirror.window);
    } else {
        XSelectInput(state->X(), mirror.window, NoEventMask);
    }
    XFlush(state->X());
}

void X11Display::Present(HWND handle, const Surface& surface, const RECT& painted) {
    const auto found = state->mirrors.find(handle);
    if (found == state->mirrors.end() || found->second.window == 0) {
        return;
    }
    const RECT area = IntersectRects(painted, {0, 0, surface.width, surface.height});
    if (!IsEmptyRect(area)) {
        state->presenter->Put(found->second.window, surface, area);
        state->CheckFaults();
    }
}

bool X11Display::PumpEvents(bool wait) {
    ::Display* x = state->X();
    if (wait && XPending(x) == 0 && !EndSignalled()) {
        // Until an event or an end signal arrives or, while a paint is held back, its time
        // comes (at once if it already has).
        WaitForInput(ConnectionNumber(x), state->pacing.SleepBound());
    }
    while (XPending(x) > 0) {
        XEvent event;
        XNextEvent(x, &event);
        state->Handle(event);
    }
    state->CheckFaults();
    CloseWindowsOnEndSignal();
    return true;
}

void X11Display::PaintBegins(HWND) {
    state->pacing.PaintBegins();
}

bool X11Display::PaintDue() {
    return state->pacing.PaintDue();
}

void X11Display::PaceFrames(std::chrono::microseconds interval) {
    state->pacing.SetInterval(interval);
}

HWND X11Display::AdoptForeignWindow(unsigned long xWindow) {
    XWindowAttributes attributes{};
    ReportedX11Faults().goneWindow = 0;
    if (XGetWindowAttributes(state->X(), xWindow, &attributes) == 0 ||
        std::exchange(ReportedX11Faults().goneWindow, 0) == xWindow) {
        return nullptr;
    }
    std::string why;
    if (!state->presenter->CanServe(xWindow, why)) {
        EndOnDisplayFault(why);
    }
    const HWND handle = NewStandInWindow(attributes.width, attributes.height);
    if (handle == nullptr) {
        return nullptr;
    }
    // Known before the window shows, so that showing it creates no window of our own.
    state->mirrors[handle] = {xWindow, true};
    XSelectInput(state->X(), xWindow, StructureNotifyMask | ExposureMask);
    ShowWindow(handle, SW_SHOW);
    return handle;
}

HWND X11Display::FindOtherProgramWindow(const char* className, const char* title) {
    return state->others.Find(*state->connection, className, title, [this](::Window window) {
        return state->WindowOf(window) != nullptr;
    });
}

void X11Display::SetWindowIcon(const std::uint32_t* cardinals, std::size_t count) {
    state->icon.assign(cardinals, cardinals + count);
}

unsigned long X11Display::Root() const {
    return state->connection->root;
}

bool X11Display::UsesSharedMemory() const {
    return state->presenter->UsesSharedMemory();
}

void X11Display::CloseOnSignals() {
    WatchEndSignals();
}

} // namespace portable
