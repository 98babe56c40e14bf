#pragma once

// Driving the Linux program on a real X display from outside, as a user or the xscreensaver
// daemon would: its processes, windows made for it, and what reaches them.

#include "app/tests/saver_process.h"
#include "app/tests/watching.h"

#include <gtest/gtest.h>

// After GoogleTest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

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

    // A mapped window of the given depth and visual class, with a colour map of its own (the
    // map goes with the server's end of the test's connection).
    Window MakeWindowOfVisual(int depth, int visualClass, int width, int height) {
        XVisualInfo info{};
        EXPECT_TRUE(XMatchVisualInfo(display, DefaultScreen(display), depth, visualClass, &info));
        XSetWindowAttributes attributes{};
        attributes.colormap =
            XCreateColormap(display, DefaultRootWindow(display), info.visual, AllocNone);
        const Window window =
            XCreateWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, depth, InputOutput, info.visual,
                          CWColormap | CWBorderPixel | CWBackPixel, &attributes);
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

    // The pixels the server holds of the window's area, none where it cannot read them.
    Snapshot Capture(Window window, const Area& a) {
        Snapshot picture;
        XImage* image =
            XGetImage(display, window, a.left, a.top, static_cast<unsigned>(a.right - a.left),
                      static_cast<unsigned>(a.bottom - a.top), AllPlanes, ZPixmap);
        if (image == nullptr) {
            return picture;
        }
        picture.width = a.right - a.left;
        picture.height = a.bottom - a.top;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                picture.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)));
            }
        }
        XDestroyImage(image);
        return picture;
    }

    // Once the window shows a whole frame of width x height (5 s at most).
    ::testing::AssertionResult ShowsAFrameOfItsSize(Window window, int width, int height) {
        const Area whole{0, 0, width, height};
        return Within(5000ms, [&] { return ShowsTheFigure(Capture(window, whole), whole); });
    }

    // The topmost viewable top-level window that passes `test`, once one appears within 5 s.
    Window Find(const std::function<bool(Window, const XWindowAttributes&)>& test) {
        return Within(5000ms, [&] {
            Window root = 0, parent = 0, *children = nullptr, found = 0;
            unsigned count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned i = count; i-- > 0 && found == 0;) {
                XWindowAttributes a{};
                XGetWindowAttributes(display, children[i], &a);
                found = a.map_state == IsViewable && test(children[i], a) ? children[i] : 0;
            }
            XFree(children);
            return found;
        });
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

    // Returns once xdotool has sent it to the server: what must follow, the caller waits for.
    static void Xdotool(const std::string& command) {
        ASSERT_EQ(std::system(("xdotool " + command).c_str()), 0) << command;
    }

    Display* display = nullptr;
};

// The tests' main: the program under test is the one argument.
inline int RunX11Tests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-EPIPHASE\n", argv[0]);
        return 2;
    }
    epiphase = argv[1];
    // A window that went away between two requests is the tests' business, not a failure.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    return RUN_ALL_TESTS();
}
