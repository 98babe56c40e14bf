// The Linux program on a real X display (Xvfb in the test command), driven from outside as a
// user or the xscreensaver daemon would: windows handed over, real input, signals.

#include <gtest/gtest.h>

// After GoogleTest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::string epiphase; // the program under test, from the command line

// A process of the program, killed if a test leaves it running.
class Saver {
  public:
    explicit Saver(std::vector<std::string> arguments,
                   const std::vector<std::string>& environment = {}) {
        pid = fork();
        if (pid == 0) {
            for (const std::string& setting : environment) {
                putenv(const_cast<char*>(setting.c_str()));
            }
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, STDOUT_FILENO);
            std::vector<char*> argv{epiphase.data()};
            for (std::string& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            execv(epiphase.c_str(), argv.data());
            _exit(127);
        }
    }
    ~Saver() {
        if (Running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool Running() {
        if (exited) {
            return false;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
        }
        return !exited;
    }
    // The exit code once it ended by itself within the time, else -1000.
    int ExitCode(std::chrono::milliseconds within = 5000ms) {
        const auto deadline = std::chrono::steady_clock::now() + within;
        while (Running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        if (!exited || !WIFEXITED(status)) {
            return -1000;
        }
        return WEXITSTATUS(status);
    }
    void Signal(int number) { kill(pid, number); }

  private:
    pid_t pid = -1;
    int status = 0;
    bool exited = false;
};

class X11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display";
        }
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    Window MakeWindow(int width, int height) {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10,
                                                  static_cast<unsigned>(width),
                                                  static_cast<unsigned>(height), 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    // What a window shows now, as far as it lies on the screen (only that can be read back).
    XImage* Grab(Window window) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes)) {
            return nullptr;
        }
        attributes.width = std::min(attributes.width, DisplayWidth(display, 0) - attributes.x);
        attributes.height = std::min(attributes.height, DisplayHeight(display, 0) - attributes.y);
        return XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                         static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    }

    // The distinct colours of a window's pixels now (a few thousand sampled).
    std::set<unsigned long> Colours(Window window) {
        std::set<unsigned long> colours;
        XImage* image = Grab(window);
        for (int y = 0; image != nullptr && y < image->height; y += 3) {
            for (int x = 0; x < image->width; x += 3) {
                colours.insert(XGetPixel(image, x, y));
            }
        }
        if (image != nullptr) {
            XDestroyImage(image);
        }
        return colours;
    }

    // How often the window's picture changes within a time, looked at every 20 ms.
    int Changes(Window window, std::chrono::milliseconds during) {
        int changes = 0;
        std::string before;
        for (const auto end = std::chrono::steady_clock::now() + during;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(20ms)) {
            XImage* image = Grab(window);
            if (image == nullptr) {
                continue;
            }
            std::string now(image->data, static_cast<std::size_t>(image->bytes_per_line) *
                                             static_cast<std::size_t>(image->height));
            XDestroyImage(image);
            changes += !before.empty() && now != before ? 1 : 0;
            before = std::move(now);
        }
        return changes;
    }

    // Waits until the window shows a drawing that changes: frames arrive.
    bool FramesArrive(Window window) {
        std::set<unsigned long> before;
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::this_thread::sleep_for(50ms);
            const std::set<unsigned long> now = Colours(window);
            if (now.size() > 3 && !before.empty() && now != before) {
                return true;
            }
            before = now;
        }
        return false;
    }

    Window Topmost() {
        Window root = 0, parent = 0, *children = nullptr, top = 0;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            XGetWindowAttributes(display, children[i], &attributes);
            top = attributes.map_state == IsViewable ? children[i] : top;
        }
        XFree(children);
        return top;
    }

    // The program's window of its own (-window), once it appears.
    Window OwnWindow() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::this_thread::sleep_for(50ms);
            FILE* found = popen("xdotool search --name '^Epiphase$' 2>/dev/null", "r");
            unsigned long id = 0;
            const bool read = found != nullptr && std::fscanf(found, "%lu", &id) == 1;
            if (found != nullptr) {
                pclose(found);
            }
            if (read) {
                return id;
            }
        }
        return 0;
    }

    // A top-level window that covers the whole screen, once one appears.
    Window FullScreenWindow() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned i = 0; i < count; ++i) {
                XWindowAttributes attributes{};
                XGetWindowAttributes(display, children[i], &attributes);
                if (attributes.map_state == IsViewable && attributes.override_redirect &&
                    attributes.width == DisplayWidth(display, 0) &&
                    attributes.height == DisplayHeight(display, 0)) {
                    const Window found = children[i];
                    XFree(children);
                    return found;
                }
            }
            XFree(children);
            std::this_thread::sleep_for(50ms);
        }
        return 0;
    }

    static void Xdotool(const std::string& command) {
        ASSERT_EQ(std::system(("xdotool " + command).c_str()), 0) << command;
        std::this_thread::sleep_for(300ms);
    }

    Display* display = nullptr;
};

std::string Id(Window window) {
    return std::to_string(window);
}

} // namespace

TEST_F(X11Test, InsideAGivenWindowItDrawsIgnoresInputAndEndsOnSigterm) {
    const Window window = MakeWindow(320, 240);
    Saver saver({"-window-id", Id(window)});
    ASSERT_TRUE(FramesArrive(window));
    Xdotool("mousemove --window " + Id(window) + " 100 100 key a click 1");
    EXPECT_TRUE(saver.Running());
    // It follows the window's size.
    XResizeWindow(display, window, 200, 150);
    XSync(display, False);
    EXPECT_TRUE(FramesArrive(window));
    saver.Signal(SIGTERM);
    EXPECT_EQ(saver.ExitCode(), 0);
}

TEST_F(X11Test, AWindowThatGoesAwayEndsItCleanly) {
    const Window window = MakeWindow(160, 120);
    Saver saver({"/p", Id(window)});
    ASSERT_TRUE(FramesArrive(window));
    XDestroyWindow(display, window);
    XSync(display, False);
    EXPECT_GE(saver.ExitCode(), 0); // ended by itself, not by a signal or a crash
}

TEST_F(X11Test, RootModeDrawsInTheWindowXscreensaverHandsOver) {
    const Window window = MakeWindow(200, 150);
    Saver saver({"-root"}, {"XSCREENSAVER_WINDOW=" + Id(window)});
    EXPECT_TRUE(FramesArrive(window));
    saver.Signal(SIGINT);
    EXPECT_EQ(saver.ExitCode(), 0);
}

TEST_F(X11Test, DelayPacesFramesInEveryLiveMode) {
    const Window given = MakeWindow(160, 120);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-window-id", Id(given)}, ""},
        {{"/p", Id(given)}, ""},
        {{"-root"}, "XSCREENSAVER_WINDOW=" + Id(given)},
        {{"-window"}, ""},
        {{"/s"}, ""},
    };
    for (const auto& [arguments, environment] : cases) {
        std::vector<std::string> paced = arguments;
        paced.insert(paced.end(), {"-delay", "400000"});
        Saver saver(paced, {environment});
        const Window window = arguments[0] == "-window" ? OwnWindow()
                              : arguments[0] == "/s"    ? FullScreenWindow()
                                                        : given;
        ASSERT_TRUE(FramesArrive(window)) << arguments[0];
        // 2.5 frames a second: in two seconds at most 5 new pictures, and one for the margin.
        EXPECT_LE(Changes(window, 2000ms), 6) << arguments[0];
        saver.Signal(SIGTERM);
        EXPECT_EQ(saver.ExitCode(), 0) << arguments[0];
    }
}

TEST_F(X11Test, FullScreenEndsOnTravelBeyondFourPixelsAndOnAKeyWhileWaitingForItsFrame) {
    for (const char* delay : {"16667", "10000000"}) { // the default, and a frame every 10 s
        Xdotool("mousemove 400 300");
        Saver saver({"/s", "-delay", delay});
        const Window window = FullScreenWindow();
        ASSERT_NE(window, 0u);
        std::this_thread::sleep_for(300ms);
        Xdotool("mousemove 403 300");
        EXPECT_TRUE(saver.Running());
        const auto moved = std::chrono::steady_clock::now();
        ASSERT_EQ(std::system("xdotool mousemove 405 300"), 0);
        EXPECT_EQ(saver.ExitCode(), 0) << delay;
        std::printf("-delay %s: ended %lld ms after the 5-pixel move began\n", delay,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - moved)
                                               .count()));
    }
    Saver saver({"/s"});
    ASSERT_NE(FullScreenWindow(), 0u);
    std::this_thread::sleep_for(300ms);
    Xdotool("key space");
    EXPECT_EQ(saver.ExitCode(), 0);
}

TEST_F(X11Test, ASecondFullScreenSaverBringsTheFirstToTheFrontAndEnds) {
    Saver first({"/s"});
    const Window window = FullScreenWindow();
    ASSERT_TRUE(FramesArrive(window)); // done starting, raising itself included
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window cover =
        XCreateWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XMapRaised(display, cover);
    XSync(display, False);
    ASSERT_EQ(Topmost(), cover);
    const auto started = std::chrono::steady_clock::now();
    Saver second({"/s"});
    EXPECT_EQ(second.ExitCode(), 0);
    std::printf("the second /s ended after %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count()));
    EXPECT_EQ(Topmost(), window);
    EXPECT_TRUE(first.Running());
    XDestroyWindow(display, cover);
}

TEST_F(X11Test, OwnWindowEndsOnEscape) {
    Saver saver({"-window"});
    const Window window = OwnWindow();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(FramesArrive(window));
    Xdotool("mousemove --window " + Id(window) + " 50 50 key Escape");
    EXPECT_EQ(saver.ExitCode(), 0);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: x11_tests PATH-TO-EPIPHASE\n");
        return 2;
    }
    epiphase = argv[1];
    // A window that went away between two requests is the tests' business, not a failure.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    return RUN_ALL_TESTS();
}
