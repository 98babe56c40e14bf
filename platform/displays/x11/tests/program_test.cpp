// The Linux program on a real X display (Xvfb in the test command), driven from outside as a
// user or the xscreensaver daemon would: windows handed over, real input, signals.

#include "platform/displays/x11/tests/harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// -window-id and /p alike; the delay test below ends both by a signal.
TEST_F(X11Test, InsideAGivenWindowItDrawsIgnoresInputFollowsItsSizeAndEndsWhenItGoes) {
    const Window window = MakeWindow(320, 240);
    Saver saver({"-window-id", std::to_string(window)});
    ASSERT_TRUE(FramesArrive(window));
    Xdotool("mousemove --window " + std::to_string(window) + " 100 100 key a click 1");
    // Frames after the input: it was taken (input comes before paint) and left it running.
    EXPECT_TRUE(FramesArrive(window) && saver.Running());
    for (const auto& [width, height] : {std::pair{400, 320}, {200, 150}}) {
        XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(display, False);
        EXPECT_TRUE(ShowsAFrameOfItsSize(window, width, height)) << width << "x" << height;
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    EXPECT_GE(saver.ExitCode(), 0); // ended by itself, not by a signal or a crash
}

// Its own window takes the size it is given, larger or smaller, and the frame with it.
TEST_F(X11Test, ItsWindowFollowsTheSizeItIsGivenBothWays) {
    Saver saver({"-window"});
    const Window own = OwnWindow();
    ASSERT_TRUE(FramesArrive(own));
    for (const auto& [width, height] : {std::pair{1100, 900}, {300, 200}}) {
        XResizeWindow(display, own, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(display, False);
        EXPECT_TRUE(ShowsAFrameOfItsSize(own, width, height)) << width << "x" << height;
    }
}

// Its own window destroyed by another client ends it as a window it was given does.
TEST_F(X11Test, ItsOwnWindowDestroyedByAnotherClientEndsItWithZero) {
    for (const char* mode : {"-window", "/s"}) {
        Saver saver({mode});
        const Window own = std::string(mode) == "/s" ? FullScreenWindow() : OwnWindow();
        ASSERT_TRUE(FramesArrive(own)) << mode;
        XDestroyWindow(display, own);
        XSync(display, False);
        EXPECT_EQ(saver.ExitCode(), 0) << mode;
    }
}

// A window to draw in that does not exist: named on one line, exit code 2, whichever way given.
TEST_F(X11Test, AWindowThatDoesNotExistIsNamedOnOneLine) {
    const std::string errors = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                               "/epiphase-x11-errors-" + std::to_string(getpid());
    for (const auto& arguments : {std::vector<std::string>{"-window-id", "0x1fffffe"},
                                  std::vector<std::string>{"/p", "33554430"}}) {
        Saver saver(arguments, {}, errors);
        EXPECT_EQ(saver.ExitCode(), 2) << arguments[0];
        EXPECT_EQ(LinesOf(errors),
                  std::vector<std::string>{"epiphase: there is no X window 0x1fffffe"})
            << arguments[0];
    }
    std::remove(errors.c_str());
}

// -root draws in the window xscreensaver hands over; SIGINT ends it like SIGTERM, Escape ends
// -window.
TEST_F(X11Test, DelayPacesFramesInEveryLiveMode) {
    const Window given = MakeWindow(160, 120);
    char daemonWindow[64]; // as xscreensaver writes it: in hexadecimal, not the root window
    std::snprintf(daemonWindow, sizeof daemonWindow, "XSCREENSAVER_WINDOW=0x%lx", given);
    const struct {
        std::vector<std::string> arguments, environment;
        int signal;
    } cases[] = {
        {{"/p", std::to_string(given)}, {}, SIGTERM}, // -window-id: as -root, and the test above
        {{"-root"}, {daemonWindow}, SIGINT},
        {{"-window"}, {}, 0},
        {{"/s"}, {}, SIGTERM},
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
        Xdotool("mousemove --sync 400 300");
        Saver saver({"/s", "-delay", delay});
        // Mapped only once its creation, where it takes the pointer's reference point, is over.
        const Window window = FullScreenWindow();
        ASSERT_NE(window, 0u);
        if (*first != '\0') {
            Xdotool(first);
            if (std::string(delay) == "16667") {
                EXPECT_TRUE(FramesArrive(window) && saver.Running()); // taken before a paint
            } else {
                // No frame for 10 s to show it was taken: the saver takes input at once while it
                // waits (the last step measures it in milliseconds), so this is ample.
                std::this_thread::sleep_for(300ms);
                EXPECT_TRUE(saver.Running());
            }
        }
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(std::system((std::string("xdotool ") + last).c_str()), 0);
        EXPECT_EQ(saver.ExitCode(), 0) << delay << ", " << last;
        std::printf("-delay %s: ended %lld ms after %s began\n", delay,
                    static_cast<long long>((std::chrono::steady_clock::now() - start) / 1ms), last);
    }
}

// Every button ends /s, the first press already.
TEST_F(X11Test, FullScreenEndsOnAPressOfAnyButton) {
    for (const char* button : {"1", "2", "3"}) {
        Saver saver({"/s"});
        ASSERT_TRUE(FramesArrive(FullScreenWindow())) << button;
        Xdotool(std::string("click ") + button);
        EXPECT_EQ(saver.ExitCode(), 0) << "button " << button;
    }
}

// Another program taking the focus ends /s, as losing the activation does on Windows.
TEST_F(X11Test, FullScreenEndsWhenAnotherProgramTakesTheFocus) {
    Saver saver({"/s"});
    ASSERT_TRUE(FramesArrive(FullScreenWindow()));
    const Window other = MakeWindow(100, 100, true);
    XSetInputFocus(display, other, RevertToParent, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(saver.ExitCode(), 0);
    XDestroyWindow(display, other);
}

// Whether the pointer shows over it, as X draws it: no pixel of the cursor over /s, the usual
// one over the window of its own.
TEST_F(X11Test, ThePointerIsHiddenOverFullScreenAndShownOverItsWindow) {
    for (const auto& [mode, shown] : {std::pair{"/s", false}, {"-window", true}}) {
        Saver saver({mode});
        const Window window = shown ? OwnWindow() : FullScreenWindow();
        ASSERT_TRUE(FramesArrive(window)) << mode;
        if (shown) { // /s covers the screen: the pointer is over it already
            Xdotool("mousemove --sync --window " + std::to_string(window) + " 40 40");
        }
        XFixesCursorImage* cursor = XFixesGetCursorImage(display);
        ASSERT_NE(cursor, nullptr);
        bool drawn = false;
        for (int i = 0; i < cursor->width * cursor->height; ++i) {
            drawn = drawn || (cursor->pixels[i] >> 24) != 0; // any pixel not transparent
        }
        XFree(cursor);
        EXPECT_EQ(drawn, shown) << mode;
    }
}

// The window manager's close request (WM_DELETE_WINDOW) ends -window with 0.
TEST_F(X11Test, TheWindowManagersCloseRequestEndsItsWindow) {
    Saver saver({"-window"});
    const Window own = OwnWindow();
    ASSERT_TRUE(FramesArrive(own));
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = own;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, own, False, NoEventMask, &close);
    XSync(display, False);
    EXPECT_EQ(saver.ExitCode(), 0);
}

// A window it is given may store colours directly through a colour map of its own.
TEST_F(X11Test, ADirectColorWindowItIsGivenIsDrawn) {
    const Window window = MakeWindowOfVisual(24, DirectColor, 160, 120);
    Saver saver({"-window-id", std::to_string(window)});
    EXPECT_TRUE(FramesArrive(window));
    saver.Signal(SIGTERM);
    EXPECT_EQ(saver.ExitCode(), 0);
    XDestroyWindow(display, window);
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

// A window property of the type asked for, as bytes (format 8) or as the longs format 32
// travels in; empty when it has none of that type.
template <class Item>
std::vector<Item> Property(Display* display, Window window, const char* name, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1 << 20, False, type,
                       &actualType, &format, &count, &left, &data);
    std::vector<Item> items;
    if (data != nullptr && actualType == type && format == (sizeof(Item) == 1 ? 8 : 32)) {
        items.assign(reinterpret_cast<const Item*>(data),
                     reinterpret_cast<const Item*>(data) + count);
    }
    XFree(data);
    return items;
}

// The sizes of the pictures in an icon property, each opaque and of many colours; empty when
// what it holds is no list of such pictures.
std::string IconSizes(const std::vector<unsigned long>& cardinals) {
    std::string sizes;
    for (std::size_t at = 0; at + 2 <= cardinals.size();) {
        const unsigned long width = cardinals[at], height = cardinals[at + 1];
        const std::size_t end = at + 2 + width * height;
        if (width != height || end > cardinals.size()) {
            return "";
        }
        const std::set<unsigned long> colours(cardinals.begin() + static_cast<long>(at) + 2,
                                              cardinals.begin() + static_cast<long>(end));
        if (colours.size() < 8 || std::any_of(colours.begin(), colours.end(), [](unsigned long p) {
                return (p >> 24 & 0xFF) != 0xFF;
            })) {
            return "";
        }
        sizes += std::to_string(width) + " ";
        at = end;
    }
    return sizes;
}

// Window managers, task bars and window searches know -window by these.
TEST_F(X11Test, ItsOwnWindowNamesItselfInUtf8ByClassByIconAndByProcess) {
    Saver saver({"-window"});
    const Window window = OwnWindow();
    ASSERT_NE(window, 0u);
    const auto text = [&](const char* name, Atom type) {
        const std::vector<char> bytes = Property<char>(display, window, name, type);
        return std::string(bytes.begin(), bytes.end());
    };
    EXPECT_EQ(text("_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False)), "Epiphase");
    EXPECT_EQ(text("WM_CLASS", XA_STRING).substr(0, 9), std::string("epiphase", 9));
    EXPECT_EQ(Property<unsigned long>(display, window, "_NET_WM_PID", XA_CARDINAL),
              std::vector<unsigned long>{static_cast<unsigned long>(saver.Pid())});
    EXPECT_EQ(IconSizes(Property<unsigned long>(display, window, "_NET_WM_ICON", XA_CARDINAL)),
              "48 32 16 ");
}

int main(int argc, char** argv) {
    return RunX11Tests(argc, argv);
}
