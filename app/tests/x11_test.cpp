// The Linux program on a real X display (Xvfb in the test command), driven from outside as a
// user or the xscreensaver daemon would: windows handed over, real input, signals.

#include <gtest/gtest.h>

// After GoogleTest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
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
    explicit Saver(std::vector<std::string> arguments, std::string environment = "") {
        pid = fork();
        if (pid == 0) {
            if (!environment.empty()) {
                putenv(environment.data());
            }
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
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
        exited = exited || waitpid(pid, &status, WNOHANG) == pid;
        return !exited;
    }
    // The exit code once it ended by itself within the time, else -1000.
    int ExitCode(std::chrono::milliseconds within = 5000ms) {
        for (const auto end = std::chrono::steady_clock::now() + within;
             Running() && std::chrono::steady_clock::now() < end;) {
            std::this_thread::sleep_for(1ms);
        }
        return exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
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

    Window MakeWindow(int width, int height, bool overrideRedirect = false) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = overrideRedirect;
        const Window window =
            XCreateWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWOverrideRedirect, &attributes);
        XMapRaised(display, window);
        XSync(display, False);
        return window;
    }

    // How often the window's picture changes to a drawing (more than three colours) within a
    // time, looked at every 20 ms; with `untilFirst`, stops at the first change.
    int Changes(Window window, std::chrono::milliseconds during, bool untilFirst = false) {
        int changes = 0;
        std::string before;
        for (const auto end = std::chrono::steady_clock::now() + during;
             std::chrono::steady_clock::now() < end && !(untilFirst && changes > 0);
             std::this_thread::sleep_for(20ms)) {
            XWindowAttributes a{};
            XGetWindowAttributes(display, window, &a); // only what lies on the screen is read back
            XImage* image = XGetImage(
                display, window, 0, 0,
                static_cast<unsigned>(std::min(a.width, DisplayWidth(display, 0) - a.x)),
                static_cast<unsigned>(std::min(a.height, DisplayHeight(display, 0) - a.y)),
                AllPlanes, ZPixmap);
            if (image == nullptr) {
                continue;
            }
            std::string now(image->data,
                            static_cast<std::size_t>(image->bytes_per_line * image->height));
            XDestroyImage(image);
            std::set<std::uint32_t> colours;
            for (std::size_t i = 0; i + 4 <= now.size(); i += 4 * 7) {
                colours.insert(*reinterpret_cast<const std::uint32_t*>(now.data() + i));
            }
            changes += colours.size() > 3 && !before.empty() && now != before;
            before = std::move(now);
        }
        return changes;
    }
    bool FramesArrive(Window window) { return Changes(window, 5000ms, true) > 0; }

    // The topmost viewable top-level window that passes `test`, once one appears within 5 s.
    Window Find(const std::function<bool(Window, const XWindowAttributes&)>& test) {
        for (int attempt = 0; attempt < 100; ++attempt, std::this_thread::sleep_for(50ms)) {
            Window root = 0, parent = 0, *children = nullptr, found = 0;
            unsigned count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned i = count; i-- > 0 && found == 0;) {
                XWindowAttributes a{};
                XGetWindowAttributes(display, children[i], &a);
                found = a.map_state == IsViewable && test(children[i], a) ? children[i] : 0;
            }
            XFree(children);
            if (found != 0) {
                return found;
            }
        }
        return 0;
    }
    Window Topmost() {
        return Find([](Window, const XWindowAttributes&) { return true; });
    }
    Window OwnWindow() { // -window
        return Find([this](Window window, const XWindowAttributes&) {
            char* name = nullptr;
            const bool own = XFetchName(display, window, &name) && std::string(name) == "Epiphase";
            XFree(name);
            return own;
        });
    }
    Window FullScreenWindow() { // /s
        return Find([this](Window, const XWindowAttributes& a) {
            return a.override_redirect && a.width == DisplayWidth(display, 0) &&
                   a.height == DisplayHeight(display, 0);
        });
    }

    static void Xdotool(const std::string& command) {
        ASSERT_EQ(std::system(("xdotool " + command).c_str()), 0) << command;
        std::this_thread::sleep_for(300ms);
    }

    Display* display = nullptr;
};

} // namespace

// -window-id and /p alike; the delay test below ends both by a signal.
TEST_F(X11Test, InsideAGivenWindowItDrawsIgnoresInputFollowsItsSizeAndEndsWhenItGoes) {
    const Window window = MakeWindow(320, 240);
    Saver saver({"-window-id", std::to_string(window)});
    ASSERT_TRUE(FramesArrive(window));
    Xdotool("mousemove --window " + std::to_string(window) + " 100 100 key a click 1");
    EXPECT_TRUE(saver.Running());
    XResizeWindow(display, window, 200, 150);
    XSync(display, False);
    EXPECT_TRUE(FramesArrive(window));
    XDestroyWindow(display, window);
    XSync(display, False);
    EXPECT_GE(saver.ExitCode(), 0); // ended by itself, not by a signal or a crash
}

// -root draws in the window xscreensaver hands over; SIGINT ends it like SIGTERM, Escape ends
// -window.
TEST_F(X11Test, DelayPacesFramesInEveryLiveMode) {
    const Window given = MakeWindow(160, 120);
    char daemonWindow[64]; // as xscreensaver writes it: in hexadecimal, not the root window
    std::snprintf(daemonWindow, sizeof daemonWindow, "XSCREENSAVER_WINDOW=0x%lx", given);
    const struct {
        std::vector<std::string> arguments;
        std::string environment;
        int signal;
    } cases[] = {
        {{"/p", std::to_string(given)}, "", SIGTERM}, // -window-id: as -root, and the test above
        {{"-root"}, daemonWindow, SIGINT},
        {{"-window"}, "", 0},
        {{"/s"}, "", SIGTERM},
    };
    for (const auto& c : cases) {
        std::vector<std::string> paced = c.arguments;
        paced.insert(paced.end(), {"-delay", "400000"});
        Saver saver(paced, c.environment);
        const Window window = c.arguments[0] == "-window" ? OwnWindow()
                              : c.arguments[0] == "/s"    ? FullScreenWindow()
                                                          : given;
        ASSERT_TRUE(FramesArrive(window)) << c.arguments[0];
        // 2.5 frames a second: in two seconds at most 5 new pictures, and one for the margin.
        EXPECT_LE(Changes(window, 2000ms), 6) << c.arguments[0];
        if (c.signal == 0) { // its own window ends on Escape
            Xdotool("mousemove --window " + std::to_string(window) + " 50 50 key Escape");
        }
        saver.Signal(c.signal);
        EXPECT_EQ(saver.ExitCode(), 0) << c.arguments[0];
    }
}

// A 3-pixel move leaves it running, 2 more end it; so does a key while it waits 10 s for a frame.
TEST_F(X11Test, FullScreenEndsOnTravelBeyondFourPixelsAndOnAKeyWhileWaitingForItsFrame) {
    for (const auto& [delay, first, last] :
         {std::tuple{"16667", "mousemove 403 300", "mousemove 405 300"},
          {"10000000", "mousemove 403 300", "mousemove 405 300"},
          {"10000000", "", "key space"}}) {
        Xdotool("mousemove 400 300");
        Saver saver({"/s", "-delay", delay});
        ASSERT_NE(FullScreenWindow(), 0u);
        std::this_thread::sleep_for(300ms);
        if (*first != '\0') {
            Xdotool(first);
            EXPECT_TRUE(saver.Running());
        }
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(std::system((std::string("xdotool ") + last).c_str()), 0);
        EXPECT_EQ(saver.ExitCode(), 0) << delay << ", " << last;
        std::printf("-delay %s: ended %lld ms after %s began\n", delay,
                    static_cast<long long>((std::chrono::steady_clock::now() - start) / 1ms), last);
    }
}

TEST_F(X11Test, ASecondFullScreenSaverBringsTheFirstToTheFrontAndEnds) {
    Saver first({"/s"});
    const Window window = FullScreenWindow();
    ASSERT_TRUE(FramesArrive(window)); // done starting, raising itself included
    const Window cover = MakeWindow(100, 100, true);
    ASSERT_EQ(Topmost(), cover);
    Saver second({"/s"});
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_EQ(Topmost(), window);
    EXPECT_TRUE(first.Running());
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
