// The README's idle line under swayidle on a real Wayland compositor (harness.h): the saver
// starts in the background, so that swayidle goes on to lock and to turn the outputs off while it
// shows, and swaylock taking the keyboard ends it. A compositor of its own: swaylock's lock
// outlives the test.

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

// Locked in green, as swaylock -c 00ff00 paints it, the saver ended by the lock's taking the
// keyboard. A headless output cannot be turned off, so a file made stands for the last step.
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
