#include "platform/portable/x11_display.h"

#include "platform/portable/controls.h"
#include "platform/portable/message_queue.h"
#include "platform/portable/user.h"
#include "platform/portable/window_manager.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <set>
#include <poll.h>
#include <strings.h>
#include <unistd.h>

namespace portable {

namespace {

// An X window that shows a top-level stand-in window. Where the server cannot share memory,
// the window's pixels are copied into `image` and sent with each put.
struct Mirror {
    ::Window window = 0;
    bool foreign = false; // another program's window: never created or destroyed here
    XImage* image = nullptr;
    bool putPending = false; // a plain put not yet known to be taken
};

volatile std::sig_atomic_t signalled = 0;
int wakePipe[2] = {-1, -1};

void OnSignal(int) {
    signalled = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

bool shmAttachFailed = false;
::Window failedWindow = 0;

int OnXError(::Display*, XErrorEvent* error) {
    // A foreign window that goes away makes later requests on it fail; that ends the saver
    // cleanly instead of Xlib's default, which exits at once.
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        failedWindow = error->resourceid;
    } else if (error->error_code == BadAccess) {
        shmAttachFailed = true;
    }
    return 0;
}

int OnXIOError(::Display*) {
    std::fprintf(stderr, "epiphase: the X display went away\n");
    std::_Exit(1);
}

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

// Pixels in memory shared with the server: a window that shows them is presented without a
// copy. After a put the server may still be reading them; writing waits until it is done.
class SharedPixels final : public PixelMemory {
  public:
    SharedPixels(X11Display::State* display, XImage* sharedImage,
                 std::unique_ptr<XShmSegmentInfo> sharedSegment, int imageWidth, int imageHeight)
        : PixelMemory(reinterpret_cast<std::uint32_t*>(sharedImage->data), imageWidth, imageHeight),
          state(display), image(sharedImage), segment(std::move(sharedSegment)) {}
    ~SharedPixels() override;
    void BeforeWriting() override;

    X11Display::State* state; // null once the display is closed
    XImage* const image;
    const std::unique_ptr<XShmSegmentInfo> segment; // where the image points to it
    mutable bool putPending = false;
    mutable ::Window putTo = 0;
};

} // namespace

struct X11Display::State {
    ::Display* x = nullptr;
    int screen = 0;
    ::Window root = 0;
    bool shm = false;
    int completionEvent = 0;
    Cursor blank = 0;
    bool cursorHidden = false;
    Atom protocols = 0;
    Atom deleteWindow = 0;
    std::map<HWND, Mirror> mirrors;
    std::map<HWND, ::Window> others; // other programs' windows found by class and title
    std::chrono::microseconds frameInterval{0};
    std::chrono::steady_clock::time_point nextPaint{};

    HWND WindowOf(::Window window) const {
        for (const auto& [handle, mirror] : mirrors) {
            if (mirror.window == window) {
                return handle;
            }
        }
        return nullptr;
    }

    // Surface memory the server reads directly: every surface of a window's size or an
    // off-screen image of it comes from here while the server can share memory.
    std::set<SharedPixels*> shared;

    std::shared_ptr<PixelMemory> NewSharedPixels(int width, int height);

    void FreeImage(Mirror& mirror) {
        WaitForPlainPut(mirror);
        if (mirror.image != nullptr) {
            XDestroyImage(mirror.image);
            mirror.image = nullptr;
        }
    }

    // The image a plain put copies the window's pixels into, the surface's size.
    bool EnsureImage(Mirror& mirror, int width, int height) {
        if (mirror.image != nullptr && mirror.image->width == width &&
            mirror.image->height == height) {
            return true;
        }
        FreeImage(mirror);
        char* data = static_cast<char*>(std::malloc(static_cast<std::size_t>(width) * height * 4));
        mirror.image = XCreateImage(x, DefaultVisual(x, screen),
                                    static_cast<unsigned>(DefaultDepth(x, screen)), ZPixmap, 0,
                                    data, static_cast<unsigned>(width),
                                    static_cast<unsigned>(height), 32, 0);
        return mirror.image != nullptr;
    }

    // A fast client never queues frames without bound: the server has taken the previous
    // plain put before the next is sent.
    void WaitForPlainPut(Mirror& mirror) {
        if (mirror.putPending) {
            XSync(x, False);
            mirror.putPending = false;
        }
    }

    // The server is done reading shared pixels before they are written again.
    void WaitForPut(const SharedPixels& pixels);

    void Handle(XEvent& event);
    void CloseEverything() {
        for (HWND top : WindowsInPaintOrder()) {
            if (GetParent(top) == nullptr) {
                PostMessageA(top, WM_CLOSE, 0, 0);
            }
        }
    }
    void CheckFailedWindow() {
        if (failedWindow == 0) {
            return;
        }
        const HWND handle = WindowOf(failedWindow);
        failedWindow = 0;
        if (handle != nullptr && mirrors[handle].foreign) {
            std::fprintf(stderr, "epiphase: the window it was drawing in went away\n");
            for (SharedPixels* pixels : shared) {
                if (pixels->putTo == mirrors[handle].window) {
                    pixels->putPending = false; // no completion comes for a window that is gone
                }
            }
            mirrors[handle].putPending = false;
            mirrors[handle].window = 0;
            PostMessageA(handle, WM_CLOSE, 0, 0);
        }
    }
};

void X11Display::State::Handle(XEvent& event) {
    if (shm && event.type == completionEvent) {
        const auto& done = reinterpret_cast<XShmCompletionEvent&>(event);
        for (SharedPixels* pixels : shared) {
            if (pixels->segment->shmseg == done.shmseg) {
                pixels->putPending = false;
            }
        }
        return;
    }
    const HWND handle = WindowOf(event.xany.window);
    if (handle == nullptr) {
        return;
    }
    switch (event.type) {
    case MotionNotify:
        QueuePointerMotion(handle, {event.xmotion.x, event.xmotion.y});
        break;
    case KeyPress:
    case KeyRelease: {
        const KeySym symbol = XLookupKeysym(&event.xkey, 0);
        const bool alt = (event.xkey.state & Mod1Mask) != 0;
        const UINT message = event.type == KeyPress ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN)
                                                    : (alt ? WM_SYSKEYUP : WM_KEYUP);
        QueueInput(handle, message, VirtualKey(symbol), 1);
        break;
    }
    case ButtonPress:
    case ButtonRelease: {
        const POINT at{event.xbutton.x, event.xbutton.y};
        const bool press = event.type == ButtonPress;
        switch (event.xbutton.button) {
        case Button1:
            QueueButton(handle, at, press ? WM_LBUTTONDOWN : WM_LBUTTONUP, press ? 1 : 0);
            break;
        case Button2:
            QueueButton(handle, at, press ? WM_MBUTTONDOWN : WM_MBUTTONUP, press ? 0x10 : 0);
            break;
        case Button3:
            QueueButton(handle, at, press ? WM_RBUTTONDOWN : WM_RBUTTONUP, press ? 2 : 0);
            break;
        default: // wheels turn; they are not buttons
            if (press && event.xbutton.button <= 5) {
                const int delta = event.xbutton.button == Button4 ? 120 : -120;
                QueueButton(handle, at, WM_MOUSEWHEEL, static_cast<WPARAM>(delta & 0xFFFF) << 16);
            }
            break;
        }
        break;
    }
    case FocusOut:
        // Focus taken by another program; the grabs of our own windows do not count.
        if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
            event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer) {
            QueueSystemMessage(handle, WM_ACTIVATEAPP, FALSE, 0);
        }
        break;
    case ClientMessage:
        if (event.xclient.message_type == protocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            PostMessageA(handle, WM_CLOSE, 0, 0);
        }
        break;
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
        if (mirrors[handle].foreign) {
            failedWindow = event.xdestroywindow.window;
            CheckFailedWindow();
        }
        break;
    default:
        break;
    }
}

std::shared_ptr<PixelMemory> X11Display::State::NewSharedPixels(int width, int height) {
    // Small images (icons, text) are not worth a segment of their own.
    constexpr int SmallestShared = 64 * 64;
    if (!shm || width * height < SmallestShared) {
        return nullptr;
    }
    auto segment = std::make_unique<XShmSegmentInfo>();
    XImage* image = XShmCreateImage(x, DefaultVisual(x, screen),
                                    static_cast<unsigned>(DefaultDepth(x, screen)), ZPixmap,
                                    nullptr, segment.get(), static_cast<unsigned>(width),
                                    static_cast<unsigned>(height));
    if (image == nullptr) {
        return nullptr;
    }
    if (image->bytes_per_line != width * 4) { // surfaces have rows without padding
        XDestroyImage(image);
        return nullptr;
    }
    segment->shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * height,
                            IPC_CREAT | 0600);
    segment->shmaddr = static_cast<char*>(
        segment->shmid >= 0 ? shmat(segment->shmid, nullptr, 0) : reinterpret_cast<void*>(-1));
    if (segment->shmaddr == reinterpret_cast<char*>(-1)) {
        segment->shmaddr = nullptr;
    }
    shmAttachFailed = segment->shmaddr == nullptr;
    if (!shmAttachFailed) {
        image->data = segment->shmaddr;
        segment->readOnly = False;
        XShmAttach(x, segment.get());
        XSync(x, False);
    }
    if (segment->shmid >= 0) {
        shmctl(segment->shmid, IPC_RMID, nullptr); // gone once both sides detach
    }
    if (shmAttachFailed) {
        // A remote display cannot share our memory: plain puts from now on.
        if (segment->shmaddr != nullptr) {
            shmdt(segment->shmaddr);
        }
        image->data = nullptr;
        XDestroyImage(image);
        shm = false;
        return nullptr;
    }
    auto pixels = std::make_shared<SharedPixels>(this, image, std::move(segment), width, height);
    shared.insert(pixels.get());
    return pixels;
}

void X11Display::State::WaitForPut(const SharedPixels& pixels) {
    if (!pixels.putPending) {
        return;
    }
    // Only the completion (or the window's end) is taken here; every other event waits for the
    // message loop, so that nothing, a resize say, changes the window while a frame is being
    // presented. A server that never answers does not hang the saver.
    struct Wanted {
        int completion;
        ShmSeg segment;
        ::Window window;
    } wanted{completionEvent, pixels.segment->shmseg, pixels.putTo};
    const auto matches = [](::Display*, XEvent* event, XPointer argument) -> Bool {
        const auto& want = *reinterpret_cast<Wanted*>(argument);
        if (event->type == DestroyNotify) {
            return event->xdestroywindow.window == want.window;
        }
        return event->type == want.completion &&
               reinterpret_cast<XShmCompletionEvent*>(event)->shmseg == want.segment;
    };
    constexpr int GiveUpMilliseconds = 2000;
    XEvent event;
    for (int waited = 0; waited < GiveUpMilliseconds && pixels.putPending &&
                         failedWindow != pixels.putTo;
         waited += 5) {
        if (XCheckIfEvent(x, &event, matches, reinterpret_cast<XPointer>(&wanted))) {
            if (event.type == DestroyNotify) {
                Handle(event);
            }
            break;
        }
        pollfd connection{ConnectionNumber(x), POLLIN, 0};
        poll(&connection, 1, 5);
    }
    pixels.putPending = false;
}

namespace {

SharedPixels::~SharedPixels() {
    if (state != nullptr) {
        state->shared.erase(this);
        XShmDetach(state->x, segment.get()); // after any put still queued: requests keep order
    }
    shmdt(segment->shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
}

void SharedPixels::BeforeWriting() {
    if (state != nullptr) {
        state->WaitForPut(*this);
    }
}

} // namespace

X11Display::X11Display(std::unique_ptr<State> opened) : state(std::move(opened)) {
    SetPixelAllocator([shared = state.get()](int width, int height) {
        return shared->NewSharedPixels(width, height);
    });
}

X11Display::~X11Display() {
    SetPixelAllocator(nullptr); // frees the shared memory kept for later surfaces
    for (SharedPixels* pixels : state->shared) {
        pixels->state = nullptr; // surfaces that outlive the display keep plain memory
    }
    for (auto& [handle, mirror] : state->mirrors) {
        state->FreeImage(mirror);
        if (!mirror.foreign && mirror.window != 0) {
            XDestroyWindow(state->x, mirror.window);
        }
    }
    XCloseDisplay(state->x);
}

std::unique_ptr<X11Display> X11Display::Open(bool useSharedMemory, std::string& error) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        error = "no X display (DISPLAY is not set)";
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->x = XOpenDisplay(nullptr);
    if (state->x == nullptr) {
        error = std::string("cannot open the X display ") + name;
        return nullptr;
    }
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
    state->screen = DefaultScreen(state->x);
    state->root = RootWindow(state->x, state->screen);
    state->shm = useSharedMemory && XShmQueryExtension(state->x) &&
                 DefaultDepth(state->x, state->screen) >= 24;
    state->completionEvent = XShmGetEventBase(state->x) + ShmCompletion;
    state->protocols = XInternAtom(state->x, "WM_PROTOCOLS", False);
    state->deleteWindow = XInternAtom(state->x, "WM_DELETE_WINDOW", False);
    char none[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(state->x, state->root, none, 1, 1);
    XColor black{};
    state->blank = XCreatePixmapCursor(state->x, empty, empty, &black, &black, 0, 0);
    XFreePixmap(state->x, empty);
    if (pipe(wakePipe) == 0) {
        fcntl(wakePipe[0], F_SETFL, O_NONBLOCK);
        fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
    }
    return std::unique_ptr<X11Display>(new X11Display(std::move(state)));
}

RECT X11Display::PrimaryScreen() const {
    return {0, 0, DisplayWidth(state->x, state->screen), DisplayHeight(state->x, state->screen)};
}

// The root window spans every monitor.
RECT X11Display::VirtualScreen() const { return PrimaryScreen(); }

POINT X11Display::CursorPosition() const {
    ::Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(state->x, state->root, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask);
    return {rootX, rootY};
}

void X11Display::MoveCursor(POINT screen) {
    XWarpPointer(state->x, 0, state->root, 0, 0, 0, 0, screen.x, screen.y);
    XFlush(state->x);
}

void X11Display::SetCursorVisible(bool visible) {
    if (state->cursorHidden == !visible) {
        return;
    }
    state->cursorHidden = !visible;
    for (const auto& [handle, mirror] : state->mirrors) {
        if (!mirror.foreign && mirror.window != 0) {
            if (visible) {
                XUndefineCursor(state->x, mirror.window);
            } else {
                XDefineCursor(state->x, mirror.window, state->blank);
            }
        }
    }
    XFlush(state->x);
}

void X11Display::WindowShown(HWND handle, const RECT& rect) {
    if (state->mirrors.contains(handle)) {
        return;
    }
    const Window* window = FindWindowObject(handle);
    Mirror& mirror = state->mirrors[handle];
    const bool topmost = (window->exStyle & WS_EX_TOPMOST) != 0;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = topmost ? True : False; // full screen, above everything
    attributes.background_pixel = BlackPixel(state->x, state->screen);
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | FocusChangeMask |
                            StructureNotifyMask;
    mirror.window = XCreateWindow(
        state->x, state->root, rect.left, rect.top,
        static_cast<unsigned>(std::max<LONG>(rect.right - rect.left, 1)),
        static_cast<unsigned>(std::max<LONG>(rect.bottom - rect.top, 1)), 0, CopyFromParent,
        InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XStoreName(state->x, mirror.window, window->title.c_str());
    // The class is what another program's search (and a window manager) knows it by.
    XClassHint names{program_invocation_short_name, const_cast<char*>(window->className.c_str())};
    XSetClassHint(state->x, mirror.window, &names);
    XSetWMProtocols(state->x, mirror.window, &state->deleteWindow, 1);
    if (state->cursorHidden) {
        XDefineCursor(state->x, mirror.window, state->blank);
    }
    if (topmost) {
        XMapRaised(state->x, mirror.window);
        // Everything the user does now reaches the saver.
        XSync(state->x, False);
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (XGrabKeyboard(state->x, mirror.window, True, GrabModeAsync, GrabModeAsync,
                              CurrentTime) == GrabSuccess) {
                break;
            }
            usleep(10000);
        }
        XGrabPointer(state->x, mirror.window, True,
                     ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime);
        XSetInputFocus(state->x, mirror.window, RevertToParent, CurrentTime);
    } else {
        XMapWindow(state->x, mirror.window);
    }
    XFlush(state->x);
}

void X11Display::WindowRaised(HWND handle) {
    if (const auto other = state->others.find(handle); other != state->others.end()) {
        XRaiseWindow(state->x, other->second);
        XSync(state->x, False); // done before this program, a second saver say, ends
        return;
    }
    const auto found = state->mirrors.find(handle);
    if (found != state->mirrors.end() && !found->second.foreign && found->second.window != 0) {
        XRaiseWindow(state->x, found->second.window);
        XFlush(state->x);
    }
}

void X11Display::WindowGone(HWND handle) {
    const auto found = state->mirrors.find(handle);
    if (found == state->mirrors.end()) {
        return;
    }
    Mirror& mirror = found->second;
    state->FreeImage(mirror);
    if (!mirror.foreign && mirror.window != 0) {
        XUngrabKeyboard(state->x, CurrentTime);
        XUngrabPointer(state->x, CurrentTime);
        XDestroyWindow(state->x, mirror.window);
    } else if (mirror.window != 0) {
        XSelectInput(state->x, mirror.window, NoEventMask);
    }
    XFlush(state->x);
    state->mirrors.erase(found);
}

void X11Display::Present(HWND handle, const Surface& surface, const RECT& painted) {
    const auto found = state->mirrors.find(handle);
    if (found == state->mirrors.end() || found->second.window == 0) {
        return;
    }
    Mirror& mirror = found->second;
    const RECT area = IntersectRects(painted, {0, 0, surface.width, surface.height});
    if (IsEmptyRect(area)) {
        return;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const GC gc = DefaultGC(state->x, state->screen);
    if (const auto* pixels = dynamic_cast<const SharedPixels*>(surface.Memory())) {
        XShmPutImage(state->x, mirror.window, gc, pixels->image, area.left, area.top, area.left,
                     area.top, static_cast<unsigned>(width), static_cast<unsigned>(height), True);
        pixels->putPending = true;
        pixels->putTo = mirror.window;
    } else {
        state->WaitForPlainPut(mirror);
        if (!state->EnsureImage(mirror, surface.width, surface.height)) {
            return;
        }
        for (int y = area.top; y < area.bottom; ++y) {
            std::memcpy(mirror.image->data +
                            static_cast<std::ptrdiff_t>(y) * mirror.image->bytes_per_line +
                            area.left * 4,
                        surface.Row(y) + area.left, static_cast<std::size_t>(width) * 4);
        }
        XPutImage(state->x, mirror.window, gc, mirror.image, area.left, area.top, area.left,
                  area.top, static_cast<unsigned>(width), static_cast<unsigned>(height));
        mirror.putPending = true;
    }
    XFlush(state->x);
    state->CheckFailedWindow();
}

bool X11Display::PumpEvents(bool wait) {
    if (wait && XPending(state->x) == 0 && !signalled) {
        // Until an event arrives or, when a paint is held back, its time comes.
        const auto left = state->nextPaint - std::chrono::steady_clock::now();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec until{
            seconds.count(),
            std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count()};
        pollfd sources[2] = {{ConnectionNumber(state->x), POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        ppoll(sources, wakePipe[0] >= 0 ? 2 : 1, left > left.zero() ? &until : nullptr, nullptr);
    }
    while (XPending(state->x) > 0) {
        XEvent event;
        XNextEvent(state->x, &event);
        state->Handle(event);
    }
    state->CheckFailedWindow();
    if (signalled) {
        signalled = 0;
        char drained[16];
        while (read(wakePipe[0], drained, sizeof drained) > 0) {
        }
        state->CloseEverything();
    }
    return true;
}

void X11Display::PaintBegins(HWND) {
    // On a steady cadence, so that waking late now and then does not slow the rate; a paint
    // that comes later than a whole interval starts the cadence afresh.
    const auto now = std::chrono::steady_clock::now();
    const bool onCadence = now - state->nextPaint < state->frameInterval;
    state->nextPaint = (onCadence ? state->nextPaint : now) + state->frameInterval;
}

bool X11Display::PaintDue() const {
    return std::chrono::steady_clock::now() >= state->nextPaint;
}

void X11Display::PaceFrames(std::chrono::microseconds interval) {
    state->frameInterval = interval;
}

// A hidden top-level window of ours that stands for an X window of another program.
HWND X11Display::StandIn(int width, int height) {
    static const bool registered = [] {
        WNDCLASSA foreignClass{};
        foreignClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) -> LRESULT {
            if (message == WM_SIZE) { // what is drawn inside follows the window's size
                Window* self = FindWindowObject(window);
                for (HWND child : std::vector<HWND>(self->children)) {
                    MoveWindow(child, 0, 0, static_cast<int>(lParam & 0xFFFF),
                               static_cast<int>(lParam >> 16 & 0xFFFF), TRUE);
                }
            }
            return DefWindowProcA(window, message, wParam, lParam);
        };
        foreignClass.lpszClassName = "EpiphaseForeignWindow";
        return RegisterClassA(&foreignClass) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, "EpiphaseForeignWindow", "", WS_POPUP, 0, 0, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

HWND X11Display::AdoptForeignWindow(unsigned long xWindow) {
    XWindowAttributes attributes{};
    failedWindow = 0;
    if (XGetWindowAttributes(state->x, xWindow, &attributes) == 0 || failedWindow == xWindow) {
        failedWindow = 0;
        return nullptr;
    }
    const HWND handle = StandIn(attributes.width, attributes.height);
    if (handle == nullptr) {
        return nullptr;
    }
    // Known before the window shows, so that showing it creates no window of our own.
    Mirror& mirror = state->mirrors[handle];
    mirror.window = xWindow;
    mirror.foreign = true;
    XSelectInput(state->x, xWindow, StructureNotifyMask | ExposureMask);
    ShowWindow(handle, SW_SHOW);
    return handle;
}

HWND X11Display::FindOtherProgramWindow(const char* className, const char* title) {
    // Override-redirect windows, full-screen savers among them, are always the root's children.
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(state->x, state->root, &rootReturn, &parent, &children, &count) == 0) {
        return nullptr;
    }
    ::Window found = 0;
    for (unsigned i = count; i-- > 0 && found == 0;) { // the topmost first, as Windows searches
        if (state->WindowOf(children[i]) != nullptr) {
            continue; // ours, and already searched
        }
        XClassHint names{};
        char* name = nullptr;
        const bool hasClass = XGetClassHint(state->x, children[i], &names) != 0;
        const bool hasName = XFetchName(state->x, children[i], &name) != 0;
        if ((className == nullptr ||
             (hasClass && names.res_class && strcasecmp(names.res_class, className) == 0)) &&
            (title == nullptr || (hasName && name && std::strcmp(name, title) == 0))) {
            found = children[i];
        }
        XFree(names.res_name);
        XFree(names.res_class);
        XFree(name);
    }
    XFree(children);
    if (found == 0) {
        return nullptr;
    }
    // One stand-in for each window found, however often it is searched for.
    for (const auto& [handle, other] : state->others) {
        if (other == found && IsWindow(handle)) {
            return handle;
        }
    }
    const HWND handle = StandIn(0, 0);
    if (handle != nullptr) {
        state->others[handle] = found;
    }
    return handle;
}

unsigned long X11Display::Root() const { return state->root; }

bool X11Display::UsesSharedMemory() const { return state->shm; }

void X11Display::CloseOnSignals() {
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace portable
