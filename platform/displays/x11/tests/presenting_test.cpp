// How the Linux program's pictures reach X windows, on an X server of the test's own that
// also listens on TCP: through shared memory only where the memory is truly shared, the same
// picture in every kind of window, at the paced rate whatever state shared memory is in, and
// an end on a signal or for want of memory that is the program's own, never an abort.

#include "platform/displays/x11/tests/harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/record.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <poll.h>

namespace {

std::string serverNumber; // of the server this test starts
pid_t serverPid = -1;

// Counts the MIT-SHM requests that any client sends from now on.
class SharedMemoryRequests {
  public:
    SharedMemoryRequests() : control(XOpenDisplay(nullptr)), data(XOpenDisplay(nullptr)) {
        int opcode = 0, event = 0, error = 0;
        XQueryExtension(control, "MIT-SHM", &opcode, &event, &error);
        XRecordRange* range = XRecordAllocRange();
        range->ext_requests.ext_major = {static_cast<unsigned char>(opcode),
                                         static_cast<unsigned char>(opcode)};
        range->ext_requests.ext_minor = {0, 0xFFFF};
        XRecordClientSpec everyone = XRecordAllClients;
        context = XRecordCreateContext(control, 0, &everyone, 1, &range, 1);
        XFree(range);
        XSync(control, False);
        XRecordEnableContextAsync(data, context, Count, reinterpret_cast<XPointer>(this));
        XFlush(data);
        // Recording before any client of the test starts: the server says when it begins.
        for (int wait = 0; wait < 200 && !started; ++wait) {
            pollfd connection{ConnectionNumber(data), POLLIN, 0};
            poll(&connection, 1, 25);
            XRecordProcessReplies(data);
        }
    }
    ~SharedMemoryRequests() {
        XRecordDisableContext(control, context);
        XRecordFreeContext(control, context);
        XSync(control, False);
        XCloseDisplay(data);
        XCloseDisplay(control);
    }
    // Intercepted requests reach the recording connection a little after they were sent.
    int Seen() {
        for (int wait = 0; wait < 20; ++wait) {
            XRecordProcessReplies(data);
            pollfd connection{ConnectionNumber(data), POLLIN, 0};
            poll(&connection, 1, 25);
        }
        XRecordProcessReplies(data);
        return count;
    }

  private:
    static void Count(XPointer self, XRecordInterceptData* intercepted) {
        auto& requests = *reinterpret_cast<SharedMemoryRequests*>(self);
        requests.started = requests.started || intercepted->category == XRecordStartOfData;
        requests.count += intercepted->category == XRecordFromClient;
        XRecordFreeData(intercepted);
    }
    Display* control;
    Display* data;
    XRecordContext context = 0;
    bool started = false;
    int count = 0;
};

class Presenting : public X11Test {
  protected:
    // A saver drawing into the window, its next frame two seconds after its first.
    static Saver DrawingInto(Window window, std::vector<std::string> environment = {}) {
        return Saver({"-window-id", std::to_string(window), "-delay", "2000000"},
                     std::move(environment));
    }

    // The first picture that appears in the window: more than three colours.
    Snapshot FirstFrame(Window window) {
        XWindowAttributes a{};
        XGetWindowAttributes(display, window, &a);
        Snapshot frame;
        EXPECT_TRUE(Within(5000ms, [&] {
            frame = Capture(window, {0, 0, a.width, a.height});
            return std::set<std::uint32_t>(frame.pixels.begin(), frame.pixels.end()).size() > 3;
        })) << "no frame arrived";
        return frame;
    }

    // How many pictures reach the window in two seconds.
    int FramesInTwoSeconds(Window window) {
        int eventBase = 0, errorBase = 0;
        XDamageQueryExtension(display, &eventBase, &errorBase);
        const Damage damage = XDamageCreate(display, window, XDamageReportRawRectangles);
        XSync(display, False);
        int frames = 0;
        for (const auto end = std::chrono::steady_clock::now() + 2s;
             std::chrono::steady_clock::now() < end;) {
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                frames += event.type == eventBase + XDamageNotify &&
                          !reinterpret_cast<XDamageNotifyEvent&>(event).more;
            }
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, 10);
        }
        XDamageDestroy(display, damage);
        return frames;
    }
};

TEST_F(Presenting, EveryWindowGetsThePictureSharedMemoryOnlyWhereTheMemoryIsShared) {
    // One recording for both runs. The server records no new client once a recorded one has
    // gone, so the first saver runs on until the second has started.
    SharedMemoryRequests requests;
    const Window remote = MakeWindow(160, 120); // each on top while it is read
    Saver overTcpSaver = DrawingInto(remote, {"DISPLAY=localhost:" + serverNumber});
    const Snapshot overTcp = FirstFrame(remote);
    EXPECT_EQ(requests.Seen(), 0) << "not even asked for over TCP";
    const Window local = MakeWindow(160, 120);
    Saver localSaver = DrawingInto(local);
    const Snapshot shared = FirstFrame(local);
    EXPECT_GT(requests.Seen(), 0) << "the local saver uses shared memory";
    // Depth 32 with an alpha channel, as desktop background wrappers make them.
    const Window argbWindow = MakeWindowOfVisual(32, TrueColor, 160, 120);
    Saver argbSaver = DrawingInto(argbWindow);
    const Snapshot argb = FirstFrame(argbWindow);
    // Each shows the figure over the first frame's background, the same in every run (the
    // figure itself moves with the clock, which each saver started at its own time); the
    // depth-32 one opaque.
    const Area whole{0, 0, 160, 120};
    for (const auto& [name, frame] :
         {std::pair{"over TCP", &overTcp}, {"shared", &shared}, {"depth 32", &argb}}) {
        Snapshot colours = *frame;
        for (std::uint32_t& pixel : colours.pixels) {
            pixel &= 0xFFFFFF;
        }
        EXPECT_TRUE(ShowsTheFigure(colours, whole)) << name;
        EXPECT_EQ(colours.Commonest(whole), shared.Commonest(whole)) << name;
    }
    EXPECT_TRUE(std::all_of(argb.pixels.begin(), argb.pixels.end(),
                            [](std::uint32_t pixel) { return pixel >> 24 == 0xFF; }));
}

// 20 frames a second asked for; a frame that waits for a completion that never comes takes 2 s.
TEST_F(Presenting, FramesKeepTheirPaceAfterSharedMemoryRunsOut) {
    const Window window = MakeWindow(200, 150);
    Saver saver({"-window-id", std::to_string(window), "-delay", "50000"});
    ASSERT_TRUE(FramesArrive(window));
    EXPECT_GE(FramesInTwoSeconds(window), 10);
    if (std::getenv("EPIPHASE_NO_RESOURCE_LIMITS") != nullptr) {
        GTEST_SKIP() << "no limit on descriptors here";
    }
    // No descriptor left for new memory: a surface of another size gets plain memory, and the
    // memory of the first size, shared already, is taken again when the window is back to it.
    ASSERT_EQ(std::system(("prlimit --nofile=4 --pid " + std::to_string(saver.Pid())).c_str()), 0);
    XResizeWindow(display, window, 180, 140);
    XResizeWindow(display, window, 200, 150);
    XSync(display, False);
    ASSERT_TRUE(FramesArrive(window)); // the resizes taken
    EXPECT_GE(FramesInTwoSeconds(window), 10);
    EXPECT_TRUE(saver.Running());
}

// The process's own pixel memory goes with it, whenever it is killed.
// With the X server stopped, a signal still ends it at once: nothing in its loop waits for an
// answer of the server. Stopped longer than a put is waited for (2 s), so that the loop goes
// on; over TCP, in a small window, its frames go into the connection's buffer meanwhile.
TEST_F(Presenting, ASignalEndsItWhileTheServerIsStopped) {
    const Window window = MakeWindow(16, 16);
    Saver saver({"-window-id", std::to_string(window)}, {"DISPLAY=localhost:" + serverNumber});
    ASSERT_TRUE(FramesArrive(window));
    struct Stopped {
        Stopped() { kill(serverPid, SIGSTOP); }
        ~Stopped() { kill(serverPid, SIGCONT); }
    };
    int code = 0;
    std::chrono::steady_clock::duration took{};
    {
        const Stopped stopped;
        std::this_thread::sleep_for(2300ms);
        saver.Signal(SIGTERM);
        const auto sent = std::chrono::steady_clock::now();
        code = saver.ExitCode(2000ms);
        took = std::chrono::steady_clock::now() - sent;
    }
    EXPECT_EQ(code, 0);
    std::printf("ended %lld ms after SIGTERM, the server stopped\n",
                static_cast<long long>(took / 1ms));
}

// 20000 × 20000 pixels do not fit in 1 GiB of address space.
TEST_F(Presenting, AWindowTooLargeForMemoryEndsWithALineNamingItsSize) {
    if (std::getenv("EPIPHASE_NO_RESOURCE_LIMITS") != nullptr) {
        GTEST_SKIP() << "no limit on memory here";
    }
    XSetWindowAttributes attributes{};
    const Window huge = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 20000, 20000, 0,
                                      CopyFromParent, InputOutput, CopyFromParent, 0, &attributes);
    XSync(display, False);
    const auto [status, said] =
        Shell("prlimit --as=1073741824 " + epiphase + " -window-id " + std::to_string(huge));
    EXPECT_EQ(status, 1);
    EXPECT_NE(said.find("20000x20000"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

} // namespace

// Its own server: one that listens on TCP too, with every window's visual the tests need.
int main(int argc, char** argv) {
    int numberPipe[2];
    if (pipe(numberPipe) != 0) {
        return 1;
    }
    const pid_t server = serverPid = fork();
    if (server == 0) {
        close(numberPipe[0]);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        const std::string descriptor = std::to_string(numberPipe[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", descriptor.c_str(), "-listen", "tcp", "-ac",
               "-noreset", "-screen", "0", "640x480x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(numberPipe[1]);
    // The number, then a newline: the server dies of a broken pipe if it cannot write both.
    std::string number;
    char digit = 0;
    while (read(numberPipe[0], &digit, 1) == 1 && digit != '\n') {
        number += digit;
    }
    close(numberPipe[0]);
    if (number.empty()) {
        std::fprintf(stderr, "x11_presenting_tests: Xvfb did not start\n");
        return 1;
    }
    serverNumber = number;
    setenv("DISPLAY", (":" + serverNumber).c_str(), 1);
    const int result = RunX11Tests(argc, argv);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return result;
}
