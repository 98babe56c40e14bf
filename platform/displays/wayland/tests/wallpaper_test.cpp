// The live wallpaper on a real Wayland compositor (harness.h): -root on the background
// layer of the output, below other programs' windows and without the keyboard, until SIGTERM.

#include "platform/displays/wayland/tests/harness.h"

namespace {

constexpr std::uint32_t PlainColour = 0x123456; // plain_window.cpp's

// The figure on the whole output but inside the other window, which shows its own colour.
::testing::AssertionResult FigureShowsAroundTheOtherWindow() {
    return Within(
        5000ms,
        [] {
            const Snapshot picture = Screenshot();
            const int plain =
                picture.Count(PlainWindow, [](std::uint32_t c) { return c == PlainColour; });
            const Area& w = PlainWindow;
            return plain < (w.right - w.left) * (w.bottom - w.top)
                       ? ::testing::AssertionFailure()
                             << "the other window shows " << plain << " pixels of its colour"
                       : ShowsTheFigure(picture, WholeOutput);
        },
        100ms);
}

// Whether the compositor gave the keyboard to the program whose protocol log this is.
bool KeyboardCameIn(const std::string& log) {
    const std::vector<std::string> lines = LinesOf(log);
    return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(" wl_keyboard@") != std::string::npos &&
               line.find(".enter(") != std::string::npos;
    });
}

} // namespace

TEST_F(WaylandTest, WallpaperShowsBelowOtherWindowsOutlivesInputAndEndsOnTermOrInterrupt) {
    Pointer pointer;
    for (const int signal : {SIGTERM, SIGINT}) {
        const std::string log = runtime + "/wallpaper.log";
        Saver wallpaper({"-root"}, {"WAYLAND_DEBUG=client"}, log);
        ASSERT_TRUE(ScreenShowsTheFigure());
        pointer.Do("to 100 100");
        pointer.Do("by 50 50");
        pointer.Do("click");
        ASSERT_EQ(Shell("wtype -k space q").first, 0);
        EXPECT_TRUE(NewFrameShown() && ScreenShowsTheFigure() && wallpaper.Running());
        EXPECT_FALSE(KeyboardCameIn(log)); // keys stay with the windows
        {
            Process window({plainWindowProgram}); // floating where PlainWindow says
            EXPECT_TRUE(FigureShowsAroundTheOtherWindow());
        }
        wallpaper.Signal(signal);
        EXPECT_EQ(wallpaper.ExitCode(), 0) << signal;
    }
}

// /s lies on the overlay layer, over another program's full-screen window: sway hides the layer
// below it, the top one, under such a window.
TEST_F(WaylandTest, FullScreenSaverLiesOverAnotherProgramsFullScreenWindow) {
    Process window({plainWindowProgram}); // floating where PlainWindow says
    const bool covered = Within( // the window fills the output, asked again until it has shown
        5000ms,
        [] {
            Shell("swaymsg '[app_id=plain-window] fullscreen enable'");
            return Screenshot().AllOf(PlainColour);
        },
        100ms);
    ASSERT_TRUE(covered);
    Saver saver({"/s"});
    EXPECT_TRUE(ScreenShowsTheFigure());
    EXPECT_TRUE(saver.Running());
}

TEST_F(WaylandTest, ASecondWallpaperEndsAtOnceAndTheFirstStays) {
    Saver first({"-root"});
    ASSERT_TRUE(ScreenShowsTheFigure());
    Saver second({"-root"});
    EXPECT_EQ(second.ExitCode(2000ms), 0);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(ScreenShowsTheFigure());
}
