#include "platform/displays/x11/presenter.h"

#include "platform/displays/live/end_signals.h"
#include "platform/displays/x11/pixel_format.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <xcb/shm.h>
#include <xcb/xcbext.h>

#include <bit>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

namespace portable {

// Pixels in memory the server maps too. After a put it may still be reading them; writing
// waits until it is done.
class X11Presenter::SharedPixels final : public PixelMemory {
  public:
    SharedPixels(X11Presenter* owner, XImage* sharedImage, XShmSegmentInfo segmentInfo,
                 std::size_t bytes)
        : PixelMemory(reinterpret_cast<std::uint32_t*>(sharedImage->data), sharedImage->width,
                      sharedImage->height),
          presenter(owner), image(sharedImage), segment(segmentInfo), size(bytes) {
        image->obdata = reinterpret_cast<char*>(&segment);
    }
    ~SharedPixels() override {
        if (presenter != nullptr) {
            presenter->shared.erase(this);
            XShmDetach(presenter->connection.x, &segment); // after any queued put: in order
        }
        munmap(pixels, size);
        image->data = nullptr;
        XDestroyImage(image);
    }
    void BeforeWriting() override {
        if (presenter != nullptr) {
            presenter->WaitForPut(*this);
        }
    }

    X11Presenter* presenter; // null once the presenter is gone
    XImage* const image;
    XShmSegmentInfo segment;
    const std::size_t size;
    mutable bool putPending = false;
    mutable ::Window putTo = 0;
};

// A window pictures go to, in its own pixel format. Where a picture is copied, it is copied
// into `image`, the surface's size.
struct X11Presenter::Target {
    X11PixelFormat format;
    GC gc = nullptr; // of the window's depth, which need not be the screen's
    XImage* image = nullptr;
    bool putPending = false;              // a plain put not yet known to be taken
    xcb_get_input_focus_cookie_t taken{}; // asked after the put: its answer comes once it is taken

    void FreeImage() {
        if (image != nullptr) {
            XDestroyImage(image); // frees the pixels too
            image = nullptr;
        }
    }
};

X11Presenter::X11Presenter(X11Connection& opened, bool useSharedMemory) : connection(opened) {
    int major = 0, minor = 0;
    Bool pixmaps = False;
    // Memory goes over as a descriptor, so the server maps exactly this process's pixels: only
    // a server on this machine (a Unix socket) that takes descriptors (1.2 on) is asked.
    shm = useSharedMemory && connection.local &&
          XShmQueryVersion(connection.x, &major, &minor, &pixmaps) &&
          (major > 1 || (major == 1 && minor >= 2));
    if (shm) {
        completionEvent = XShmGetEventBase(connection.x) + ShmCompletion;
    }
}

X11Presenter::~X11Presenter() {
    for (SharedPixels* pixels : shared) {
        pixels->presenter = nullptr; // surfaces that outlive the connection keep their memory
    }
    for (auto& [window, target] : targets) {
        target->FreeImage();
        XFreeGC(connection.x, target->gc);
    }
}

bool X11Presenter::CanServe(::Window window, std::string& why) {
    auto target = std::make_unique<Target>();
    if (!X11PixelFormat::Of(connection, window, target->format, why)) {
        return false;
    }
    target->gc = XCreateGC(connection.x, window, 0, nullptr);
    Forget(window);
    targets[window] = std::move(target);
    return true;
}

X11Presenter::Target& X11Presenter::TargetOf(::Window window) {
    const auto found = targets.find(window);
    if (found != targets.end()) {
        return *found->second;
    }
    std::string why;
    if (!CanServe(window, why)) {
        EndOnDisplayFault(why);
    }
    return *targets[window];
}

std::shared_ptr<PixelMemory> X11Presenter::NewPixels(int width, int height) {
    // Small images (icons, text) are not worth memory of their own.
    constexpr std::size_t SmallestShared = 64 * 64;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (!shm || count < SmallestShared) {
        return nullptr;
    }
    ::Display* x = connection.x;
    XShmSegmentInfo segment{};
    XImage* image =
        XShmCreateImage(x, DefaultVisual(x, connection.screen),
                        static_cast<unsigned>(DefaultDepth(x, connection.screen)), ZPixmap, nullptr,
                        &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr) {
        shm = false;
        return nullptr;
    }
    const std::size_t bytes = count * 4;
    const int descriptor = memfd_create("epiphase-pixels", MFD_CLOEXEC);
    void* memory = MAP_FAILED;
    if (image->bytes_per_line == width * 4 && descriptor >= 0 && // surfaces' rows: no padding
        ftruncate(descriptor, static_cast<off_t>(bytes)) == 0) {
        memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    }
    if (memory == MAP_FAILED) { // limits reached: plain puts from now on
        if (descriptor >= 0) {
            close(descriptor);
        }
        XDestroyImage(image);
        shm = false;
        return nullptr;
    }
    xcb_connection_t* xcb = XGetXCBConnection(x);
    segment.shmseg = xcb_generate_id(xcb);
    segment.shmid = -1;
    segment.shmaddr = static_cast<char*>(memory);
    segment.readOnly = True;
    // The descriptor goes to the server, which closes ours once it is sent.
    xcb_generic_error_t* refused =
        xcb_request_check(xcb, xcb_shm_attach_fd_checked(xcb, segment.shmseg, descriptor, 1));
    if (refused != nullptr) {
        std::free(refused);
        munmap(memory, bytes);
        XDestroyImage(image);
        shm = false; // plain puts from now on; puts already made still complete
        return nullptr;
    }
    image->data = static_cast<char*>(memory);
    auto pixels = std::make_shared<SharedPixels>(this, image, segment, bytes);
    shared.insert(pixels.get());
    return pixels;
}

bool X11Presenter::TakeCompletion(const XEvent& event) {
    if (completionEvent < 0 || event.type != completionEvent) {
        return false;
    }
    const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
    for (SharedPixels* pixels : shared) {
        if (pixels->segment.shmseg == done.shmseg) {
            pixels->putPending = false;
        }
    }
    return true;
}

void X11Presenter::WaitForPut(const SharedPixels& pixels) {
    // Only the completion (or the window's end) is taken here; every other event waits for the
    // message loop, so that nothing, a resize say, changes the window while a frame is being
    // presented. A server that never answers, a refused picture or an end signal does not keep
    // the saver here.
    struct Wanted {
        int completion;
        ShmSeg segment;
        ::Window window;
    } wanted{completionEvent, pixels.segment.shmseg, pixels.putTo};
    const auto matches = [](::Display*, XEvent* event, XPointer argument) -> Bool {
        const auto& want = *reinterpret_cast<Wanted*>(argument);
        if (event->type == DestroyNotify) {
            return event->xdestroywindow.window == want.window;
        }
        return event->type == want.completion &&
               reinterpret_cast<XShmCompletionEvent*>(event)->shmseg == want.segment;
    };
    constexpr int GiveUpMilliseconds = 2000;
    X11Faults& faults = ReportedX11Faults();
    XEvent event;
    for (int waited = 0; waited < GiveUpMilliseconds && pixels.putPending &&
                         faults.goneWindow != pixels.putTo && !EndSignalled();
         waited += 5) {
        if (faults.pictureRefused) {
            EndOnDisplayFault("the X server refused the picture: " + faults.pictureError);
        }
        if (XCheckIfEvent(connection.x, &event, matches, reinterpret_cast<XPointer>(&wanted))) {
            if (event.type == DestroyNotify) {
                faults.goneWindow = event.xdestroywindow.window;
            }
            break;
        }
        pollfd source{ConnectionNumber(connection.x), POLLIN, 0};
        poll(&source, 1, 5);
    }
    pixels.putPending = false;
}

void X11Presenter::WaitForPlainPut(Target& target) {
    // A fast client never queues frames without bound: the server has taken the previous
    // plain put before the next is sent. Waited for as a put in shared memory is: a server that
    // stops answering, or an end signal, does not keep the saver here.
    if (!target.putPending) {
        return;
    }
    xcb_connection_t* c = XGetXCBConnection(connection.x);
    constexpr int GiveUpMilliseconds = 2000;
    bool answered = false;
    for (int waited = 0; waited < GiveUpMilliseconds && !EndSignalled(); waited += 5) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(c, target.taken.sequence, &reply, &error) != 0) {
            std::free(reply);
            std::free(error);
            answered = true;
            break;
        }
        pollfd source{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&source, 1, 5);
    }
    if (!answered) {
        xcb_discard_reply(c, target.taken.sequence);
    }
    target.putPending = false;
}

void X11Presenter::Put(::Window window, const Surface& surface, const RECT& area) {
    Target& target = TargetOf(window);
    const auto width = static_cast<unsigned>(area.right - area.left);
    const auto height = static_cast<unsigned>(area.bottom - area.top);
    const auto* pixels = dynamic_cast<const SharedPixels*>(surface.Memory());
    if (pixels != nullptr && target.format.native) {
        XShmPutImage(connection.x, window, target.gc, pixels->image, area.left, area.top, area.left,
                     area.top, width, height, True);
        pixels->putPending = true;
        pixels->putTo = window;
    } else {
        PutCopy(window, target, surface, area);
    }
    XFlush(connection.x);
}

void X11Presenter::PutCopy(::Window window, Target& target, const Surface& surface,
                           const RECT& area) {
    WaitForPlainPut(target);
    XImage*& image = target.image;
    if (image == nullptr || image->width != surface.width || image->height != surface.height) {
        target.FreeImage();
        image = XCreateImage(connection.x, target.format.visual,
                             static_cast<unsigned>(target.format.depth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(surface.width),
                             static_cast<unsigned>(surface.height), 32, 0);
        if (image == nullptr) {
            EndOnDisplayFault("cannot make an image for a " + std::to_string(surface.width) + "x" +
                              std::to_string(surface.height) + " window");
        }
        image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        image->data =
            static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) *
                                           static_cast<std::size_t>(surface.height)));
        if (image->data == nullptr) {
            target.FreeImage();
            EndOnDisplayFault("cannot allocate the pixels of a " + std::to_string(surface.width) +
                              "x" + std::to_string(surface.height) + " image");
        }
    }
    const int width = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint32_t* row = surface.Row(y) + area.left;
        if (target.format.native) {
            std::memcpy(image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line +
                            area.left * 4,
                        row, static_cast<std::size_t>(width) * 4);
        } else {
            target.format.ConvertRow(row, width, *image, area.left, y);
        }
    }
    XPutImage(connection.x, window, target.gc, image, area.left, area.top, area.left, area.top,
              static_cast<unsigned>(width), static_cast<unsigned>(area.bottom - area.top));
    target.taken = xcb_get_input_focus(XGetXCBConnection(connection.x));
    target.putPending = true;
}

void X11Presenter::Forget(::Window window) {
    for (SharedPixels* pixels : shared) {
        if (pixels->putTo == window) {
            pixels->putPending = false; // no completion comes for a window that is gone
        }
    }
    if (const auto found = targets.find(window); found != targets.end()) {
        found->second->FreeImage();
        XFreeGC(connection.x, found->second->gc);
        targets.erase(found);
    }
}

} // namespace portable
