// The README's idle line under swayidle on a real Wayland compositor (harness.h): the
// saver starts in the background, so that swayidle goes on to lock and to turn the outputs off
// while it shows; and swaylock taking the keyboard from the saver. Compositors of their own:
// swaylock's lock outlives the test.

#include "platform/displays/wayland/tests/harness.h"

namespace {

// swayidle with these arguments until the test ends.
class Swayidle {
  public:
    explicit Swayidle(std::vector<std::string> arguments) {
        pid = fork();
        if (pid == 0) {
            std::vector<char*> argv{const_cast<char*>("swayidle")};
            for (std::string& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            dup2(open("/dev/null", O_WRONLY), STDERR_FILENO); // its word on D-Bus, which is none
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Swayidle() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    bool Running() { return waitpid(pid, nullptr, WNOHANG) == 0; }

  private:
    pid_t pid = -1;
};

// The saver as the idle line starts it: a process found by its whole command line.
bool SaverRuns(const std::string& command) {
    return Shell("pgrep -f -x '" + command + "'").first == 0;
}

class WaylandIdleTest : public WaylandTest {};

} // namespace

TEST_F(WaylandIdleTest, TheSaverStartsWhenIdleAndInputEndsIt) {
    const std::string saver = epiphase + " /s";
    Swayidle idle({"-w", "timeout", "1", saver + " &"});
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
    Swayidle idle({"-w", "timeout", "1", saver + " &", "timeout", "3", "swaylock -f -c 00ff00",
                   "timeout", "5", "touch " + lastStep});
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
