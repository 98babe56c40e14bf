#pragma once

// Driving the Linux program on a real X display from outside, as a user or the xscreensaver
// daemon would: its processes, windows made for it, and what reaches them.

#include "app/tests/saver_process.h"

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

    // Once the window shows a whole frame of width x height (5 s at most): the figure in each
    // quarter, drawn over the background (the picture's commonest colour), and the credit line
    // in its place along the bottom, in the text's colour (the background's dim complement).
    bool ShowsAFrameOfItsSize(Window window, int width, int height) {
        for (int attempt = 0; attempt < 250; ++attempt, std::this_thread::sleep_for(20ms)) {
            XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), AllPlanes, ZPixmap);
            if (image == nullptr) {
                continue;
            }
            std::map<unsigned long, int> counts;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    ++counts[XGetPixel(image, x, y)];
                }
            }
            const unsigned long background =
                std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                    return a.second < b.second;
                })->first;
            unsigned long text = 0; // 0xRRGGBB, as the test's TrueColor screen stores it
            for (int shift : {16, 8, 0}) {
                text |= (255 - (background >> shift & 0xFF)) / 3 << shift;
            }
            const auto count = [&](int x0, int y0, int x1, int y1, auto&& wanted) {
                int found = 0;
                for (int y = y0; y < y1; ++y) {
                    for (int x = x0; x < x1; ++x) {
                        found += wanted(XGetPixel(image, x, y));
                    }
                }
                return found;
            };
            const auto drawn = [&](int x0, int y0, int x1, int y1) {
                return count(x0, y0, x1, y1, [&](unsigned long p) { return p != background; }) >=
                       20;
            };
            const int midX = width / 2, midY = height / 2, top = 16, bottom = height - 16;
            const bool whole = drawn(0, top, midX, midY) && drawn(midX, top, width, midY) &&
                               drawn(0, midY, midX, bottom) && drawn(midX, midY, width, bottom) &&
                               count(3, height - 13, std::min(width, 150), height - 3,
                                     [&](unsigned long p) { return p == text; }) >= 40;
            XDestroyImage(image);
            if (whole) {
                return true;
            }
        }
        return false;
    }

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
