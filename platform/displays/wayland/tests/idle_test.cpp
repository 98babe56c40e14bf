// The README's idle line under swayidle on a real Wayland compositor (harness.h): the
// saver starts in the background, so that swayidle goes on to lock and to turn the outputs off
// while it shows; and swaylock taking the keyboard from the saver. Compositors of their own:
// swaylock's lock outlives the test.

#include "platform/displays/wayland/tests/harness.h"

namespace {

// swayidle with these arguments until the test ends; its word on D-Bus, which is none, dropped.
Process Swayidle(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "swayidle");
    return Process(std::move(arguments), {}, "/dev/null");
}

// The saver as the idle line starts it: a process found by its whole command line.
bool SaverRuns(const std::string& command) {
    return Shell("pgrep -f -x '" + command + "'").first == 0;
}

class WaylandIdleTest : public WaylandTest {};

} // namespace

TEST_F(WaylandIdleTest, TheSaverStartsWhenIdleAndInputEndsIt) {
    const std::string saver = epiphase + " /s";
    const Process idle = Swayidle({"-w", "timeout", "1", saver + " &"});
    ASSERT_TRUE(ScreenShowsTheFigure());
    EXPECT_TRUE(SaverRuns(saver));
    ASSERT_EQ(Shell("wtype -k space").first, 0);
    EXPECT_TRUE(Within(5000ms, [&] { return !SaverRuns(saver); }));
}

// Locked in green, as swaylock -c 00ff00 paints it. A headless output cannot be turned off, so
// a file made stands for the last step.
TEST_F(WaylandIdleTest, LaterTimeoutsLockAndGoOnWhileTheSaverShows) {
    const std::string saver = epiphase + " /s";
    const std::string lastStep = runtime + "/outputs-off";
    const Process idle = Swayidle({"-w", "timeout", "1", saver + " &", "timeout", "3",
                                   "swaylock -f -c 00ff00", "timeout", "5", "touch " + lastStep});
    ASSERT_TRUE(ScreenShowsTheFigure());
    EXPECT_TRUE(Within(10000ms, [] { return Screenshot().AllOf(0x00FF00); }));
    EXPECT_TRUE(Within(5000ms, [&] { return !SaverRuns(saver); }));
    EXPECT_TRUE(Within(10000ms, [&] { return std::filesystem::exists(lastStep); }));
}

namespace {

// A compositor of its own: swaylock's lock outlives the test.
class WaylandLockTest : public WaylandTest {};

} // namespace

// swaylock takes the keyboard for its lock (-f: once locked): /s, which held it, ends.
TEST_F(WaylandLockTest, TheKeyboardTakenByAnotherProgramEndsTheSaver) {
    Saver saver({"/s"});
    ASSERT_TRUE(ScreenShowsTheFigure());
    ASSERT_EQ(Shell("swaylock -f -c 00ff00 >/dev/null").first, 0);
    EXPECT_EQ(saver.ExitCode(), 0);
}
