// The Linux program on an X server whose screen holds two monitors side by side, laid out with
// RandR (1.5) on the test's display for as long as a test runs: /s covers both with one window.

#include "platform/displays/x11/tests/harness.h"

#include <X11/extensions/Xrandr.h>

#include <array>

namespace {

struct Monitor {
    const char* name;
    int left, width;
};

class TwoMonitors : public X11Test {
  protected:
    void SetUp() override {
        X11Test::SetUp();
        if (display == nullptr) {
            return;
        }
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XRRQueryExtension(display, &event, &error) ||
            !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105) {
            GTEST_SKIP() << "the X server lays out no monitors (RandR 1.5)";
        }
        const Window root = DefaultRootWindow(display);
        width = DisplayWidth(display, 0);
        height = DisplayHeight(display, 0);
        monitors = {Monitor{"epiphase-left", 0, width / 2},
                    {"epiphase-right", width / 2, width / 2}};
        // The left one takes the server's output, whose own monitor gives way to it.
        XRRScreenResources* resources = XRRGetScreenResources(display, root);
        ASSERT_NE(resources, nullptr);
        ASSERT_GE(resources->noutput, 1);
        for (const Monitor& m : monitors) {
            XRRMonitorInfo* info = XRRAllocateMonitor(display, m.left == 0 ? 1 : 0);
            info->name = XInternAtom(display, m.name, False);
            info->x = m.left;
            info->width = m.width;
            info->height = height;
            info->mwidth = m.width / 4; // about 100 pixels an inch
            info->mheight = height / 4;
            if (m.left == 0) {
                info->outputs[0] = resources->outputs[0];
            }
            XRRSetMonitor(display, root, info);
            XFree(info);
        }
        XRRFreeScreenResources(resources);
        int count = 0;
        XRRFreeMonitors(XRRGetMonitors(display, root, False, &count));
        ASSERT_EQ(count, 2);
    }
    void TearDown() override {
        if (display != nullptr && width > 0) {
            for (const Monitor& m : monitors) {
                XRRDeleteMonitor(display, DefaultRootWindow(display),
                                 XInternAtom(display, m.name, False));
            }
            XSync(display, False);
        }
        X11Test::TearDown();
    }

    // Once the screen shows one figure over both monitors (5 s at most): the figure, the
    // left monitor's background the right one's too.
    ::testing::AssertionResult EveryMonitorShowsTheFigure() {
        const Area screen{0, 0, width, height}, left{0, 0, width / 2, height},
            right{width / 2, 0, width, height};
        return Within(5000ms, [&]() -> ::testing::AssertionResult {
            const Snapshot p = Capture(DefaultRootWindow(display), screen);
            if (p.pixels.empty() || p.Commonest(left) != p.Commonest(right)) {
                return ::testing::AssertionFailure() << "two backgrounds";
            }
            return ShowsTheFigure(p, screen);
        });
    }

    int width = 0, height = 0;
    std::array<Monitor, 2> monitors{};
};

} // namespace

TEST_F(TwoMonitors, FullScreenCoversBothMonitorsSideBySideWithOneWindow) {
    Saver saver({"/s"});
    EXPECT_NE(FullScreenWindow(), 0u); // the root window's size
    EXPECT_TRUE(EveryMonitorShowsTheFigure());
    saver.Signal(SIGTERM);
    EXPECT_EQ(saver.ExitCode(), 0);
}

int main(int argc, char** argv) {
    return RunX11Tests(argc, argv);
}
