// The live wallpaper on a real Wayland compositor (harness.h): -root on the background
// layer of the output, below other programs' windows and without the keyboard, until SIGTERM.

#include "platform/displays/wayland/tests/harness.h"

namespace {

// Another program's window (plain_window.cpp), floating where PlainWindow says.
class OtherProgramsWindow {
  public:
    OtherProgramsWindow() {
        pid = fork();
        if (pid == 0) {
            execl(plainWindowProgram.c_str(), plainWindowProgram.c_str(), nullptr);
            _exit(127);
        }
    }
    ~OtherProgramsWindow() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

  private:
    pid_t pid = -1;
};

constexpr std::uint32_t PlainColour = 0x123456; // plain_window.cpp's

// The figure on the whole output but inside the other window, which shows its own colour.
::testing::AssertionResult FigureShowsAroundTheOtherWindow() {
    ::testing::AssertionResult last = ::testing::AssertionFailure();
    for (int attempt = 0; attempt < 50 && !last; ++attempt, std::this_thread::sleep_for(100ms)) {
        const Picture picture = Screenshot();
        last = ShowsTheFigure(picture, 0, 0, OutputWidth, OutputHeight);
        for (int y = PlainWindow.top; last && y < PlainWindow.bottom; ++y) {
            for (int x = PlainWindow.left; last && x < PlainWindow.right; ++x) {
                if (picture.At(x, y) != PlainColour) {
                    last = ::testing::AssertionFailure()
                           << "the other window shows " << std::hex << picture.At(x, y) << " at "
                           << std::dec << x << "," << y;
                }
            }
        }
    }
    return last;
}

// Whether the compositor gave the keyboard to the program whose protocol log this is.
bool KeyboardCameIn(const std::string& log) {
    std::ifstream file(log);
    for (std::string line; std::getline(file, line);) {
        if (line.find(" wl_keyboard@") != std::string::npos &&
            line.find(".enter(") != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(WaylandTest, WallpaperShowsBelowOtherWindowsOutlivesInputAndEndsOnTermOrInterrupt) {
    Pointer pointer;
    for (const int signal : {SIGTERM, SIGINT}) {
        const std::string log = runtime + "/wallpaper.log";
        Saver wallpaper({"-root"}, "WAYLAND_DEBUG=client", log);
        ASSERT_TRUE(FullScreenShowsTheFigure());
        pointer.Do("to 100 100");
        pointer.Do("by 50 50");
        pointer.Do("click");
        ASSERT_EQ(Shell("wtype -k space q").first, 0);
        EXPECT_TRUE(NewFrameShown() && FullScreenShowsTheFigure() && wallpaper.Running());
        EXPECT_FALSE(KeyboardCameIn(log)); // keys stay with the windows
        {
            OtherProgramsWindow window;
            EXPECT_TRUE(FigureShowsAroundTheOtherWindow());
        }
        wallpaper.Signal(signal);
        EXPECT_EQ(wallpaper.ExitCode(), 0) << signal;
    }
}

// /s lies on the overlay layer, over another program's full-screen window: sway hides the layer
// below it, the top one, under such a window.
TEST_F(WaylandTest, FullScreenSaverLiesOverAnotherProgramsFullScreenWindow) {
    OtherProgramsWindow window;
    bool covered = false; // the window fills the output, asked again until it has shown
    for (int attempt = 0; attempt < 50 && !covered; ++attempt, std::this_thread::sleep_for(100ms)) {
        Shell("swaymsg '[app_id=plain-window] fullscreen enable'");
        const Picture picture = Screenshot();
        covered = !picture.pixels.empty() &&
                  std::all_of(picture.pixels.begin(), picture.pixels.end(),
                              [](std::uint32_t pixel) { return pixel == PlainColour; });
    }
    ASSERT_TRUE(covered);
    Saver saver({"/s"});
    EXPECT_TRUE(FullScreenShowsTheFigure());
    EXPECT_TRUE(saver.Running());
}

TEST_F(WaylandTest, ASecondWallpaperEndsAtOnceAndTheFirstStays) {
    Saver first({"-root"});
    ASSERT_TRUE(FullScreenShowsTheFigure());
    Saver second({"-root"});
    EXPECT_EQ(second.ExitCode(2000ms), 0);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(FullScreenShowsTheFigure());
}
