// The Linux program on an X server whose screen holds two monitors side by side, laid out with
// RandR (1.5) on the test's display for as long as a test runs: /s covers both with one window.

#include "platform/displays/x11/tests/harness.h"

#include <X11/extensions/Xrandr.h>

#include <array>
#include <optional>

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

    // Whether the monitor's area of the picture shows the figure: one background colour in
    // all four corners and over most of it, and lines of at least two other colours. The
    // background is returned, none where there is no figure.
    std::optional<unsigned long> FigureBackground(XImage* image, const Monitor& m) const {
        std::map<unsigned long, int> counts;
        for (int y = 0; y < height; ++y) {
            for (int x = m.left; x < m.left + m.width; ++x) {
                ++counts[XGetPixel(image, x, y)];
            }
        }
        const auto commonest = std::max_element(
            counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; });
        const unsigned long background = commonest->first;
        int lineColours = 0;
        for (const auto& [colour, count] : counts) {
            lineColours += colour != background && count >= 100;
        }
        const int right = m.left + m.width - 1, bottom = height - 1;
        for (const auto& [x, y] :
             {std::pair{m.left, 0}, {right, 0}, {m.left, bottom}, {right, bottom}}) {
            if (XGetPixel(image, x, y) != background) {
                return std::nullopt;
            }
        }
        if (commonest->second * 2 <= m.width * height || lineColours < 2) {
            return std::nullopt;
        }
        return background;
    }
    // Once the screen shows the figure on every monitor, over one background (5 s at most).
    ::testing::AssertionResult EveryMonitorShowsTheFigure() {
        std::string last = "no picture";
        for (int attempt = 0; attempt < 250; ++attempt, std::this_thread::sleep_for(20ms)) {
            XImage* image =
                XGetImage(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), AllPlanes, ZPixmap);
            if (image == nullptr) {
                continue;
            }
            std::array<std::optional<unsigned long>, 2> backgrounds{};
            for (std::size_t i = 0; i < monitors.size(); ++i) {
                backgrounds[i] = FigureBackground(image, monitors[i]);
            }
            XDestroyImage(image);
            if (backgrounds[0] && backgrounds[0] == backgrounds[1]) {
                return ::testing::AssertionSuccess();
            }
            last = std::string(backgrounds[0] ? "" : "no figure on the left; ") +
                   (backgrounds[1] ? "" : "no figure on the right; ") +
                   (backgrounds[0] != backgrounds[1] ? "two backgrounds" : "");
        }
        return ::testing::AssertionFailure() << last;
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
